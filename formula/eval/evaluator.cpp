#include "formula/eval/evaluator.h"
