#pragma once
// The formula parser: compiles one formula text with its parameters into a
// program that a calculator runs, and describes the formula's outputs.
#include <cstdint>
#include <string>
#include <vector>

#include "abacor/export.h"

class CCalculateInfo;

// The last error of a compilation, copied out whole.
struct ParseErrorInfo {
  int32_t code;      // 0 when the last attempt succeeded
  int32_t line;      // line breaks before the failing statement (translator: script lines passed)
  int32_t position;  // index in the prepared text (translator: read position in its script)
  int32_t column;    // position minus the index of a recent line break; 0 for translator errors
  char text[256];    // NUL-terminated message, GBK bytes; empty for most codes
};

// How much history an output needs before the first bar it draws.
// kind 0: none; 1: `amount` bars; 2: the whole history; 3: known only at run time.
struct HistoryNeed {
  int32_t kind;
  float amount;
};

// Abstract parser interface. Objects come from IndexObjCreator and are
// released only through it, so there is deliberately no public destructor.
class IIndexParser {
 public:
  virtual bool Compile(const std::string& text, const std::vector<std::string>& paramNames,
                       const std::vector<float>& paramValues) = 0;
  virtual bool GetErrorInfo(ParseErrorInfo* out) = 0;
  virtual bool GetCalculateInfo(CCalculateInfo** out) = 0;
  virtual bool GetExtendHistory(bool* out) = 0;
  virtual bool GetExtendForward(bool* out) = 0;
  virtual bool GetRecalcAll(bool* out) = 0;
  virtual bool IsFieldUsed(int32_t fieldId, int32_t reserved) = 0;
  virtual bool GetOutputCount(int32_t* out) = 0;
  virtual bool GetOutputColor(int32_t i, uint32_t* out) = 0;
  virtual bool GetOutputLineWidth(int32_t i, int32_t* out) = 0;
  virtual bool GetOutputDrawType(int32_t i, int32_t* out) = 0;
  virtual bool GetOutputName(int32_t i, char* buf, uint32_t size) = 0;
  virtual bool IsOutputHidden(int32_t i, bool* out) = 0;
  virtual bool GetParamCount(int32_t* out) = 0;
  virtual bool GetParamValue(int32_t i, float* out) = 0;
  virtual bool GetParamName(int32_t i, char* buf, uint32_t size) = 0;
  virtual bool GetOutputHistoryNeed(int32_t i, int32_t* kind, float* amount) = 0;
  virtual bool GetHistoryNeed(int32_t* kind, float* amount) = 0;
  virtual bool SetOutputColor(int32_t i, uint32_t colour) = 0;
  virtual bool SetOutputLineWidth(int32_t i, int32_t width) = 0;
  virtual bool SetParamValue(int32_t i, float value) = 0;
  virtual const std::vector<float>& GetOutputParamValues(int32_t i) = 0;
  virtual const std::vector<int32_t>& GetOutputParamIndexes(int32_t i) = 0;
  virtual const std::vector<int32_t>& GetParamOutputs(int32_t p) = 0;
  virtual bool IsDrawFunctionOutput(int32_t i, bool* out) = 0;

 protected:
  ~IIndexParser() = default;
};
