#pragma once
// ErrorReport: the error block of one analysis. The first failing stage raises
// a code (and, for a few codes, a message); the statement walk then places it
// in the text. Readers see the fields; only the analysis writes them.
#include <cstdint>
#include <string>

class ErrorReport {
 public:
  int32_t errorCode() const { return errorCode_; }
  const std::string& errorText() const { return errorText_; }
  int32_t errorPosition() const { return errorPosition_; }  // -1 while no error is placed
  int32_t errorLine() const { return errorLine_; }
  int32_t errorColumn() const { return errorColumn_; }
  // An error was placed in the text or carries a message.
  bool Raised() const { return errorPosition_ != -1 || !errorText_.empty(); }

  // Back to no error: code 0, no message, no position.
  void Clear() {
    errorCode_ = 0;
    errorText_.clear();
    errorPosition_ = -1;
  }
  // Records the code and message of an error whose place follows with Place.
  void Raise(int32_t code, const std::string& message = std::string()) {
    errorCode_ = code;
    errorText_ = message;
  }
  // Places the raised error: position in the text, line breaks before it, column on its line.
  void Place(int32_t position, int32_t line, int32_t column) {
    errorPosition_ = position;
    errorLine_ = line;
    errorColumn_ = column;
  }
  // Raises an error that belongs to the formula as a whole, placed at its start.
  void RaiseAtStart(int32_t code) {
    Raise(code);
    Place(0, 0, 0);
  }

 private:
  int32_t errorCode_ = 0;
  std::string errorText_;
  int32_t errorPosition_ = -1;
  int32_t errorLine_ = 0;
  int32_t errorColumn_ = 0;
};
