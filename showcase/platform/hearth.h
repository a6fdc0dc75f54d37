// Hearth, the client's common services: the message dispatcher, paths,
// the language query, pixel zoom and localized strings.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "showcase/platform/win32.h"

// Message body; p1 is a 64-bit field that may be absent.
class msg_body {
 public:
  void set_p1(int64_t value) {
    m_p1 = value;
    m_hasP1 = true;
  }
  bool has_p1() const { return m_hasP1; }
  int64_t p1() const { return m_p1; }

 private:
  int64_t m_p1 = 0;
  bool m_hasP1 = false;
};

// Synchronous dispatcher: Send calls every callback bound to the id, on the
// calling (GUI) thread, before it returns.
class IMessageDispatch {
 public:
  using Callback = std::function<void(UINT msgId, WPARAM param, std::shared_ptr<msg_body> body)>;
  static bool Init();
  static void UnInit();
  static void Bind(UINT msgId, Callback callback, void* owner);
  static void UnBind(void* owner);
  // True when some callback took the message.
  static bool Send(UINT msgId, WPARAM param, std::shared_ptr<msg_body> body, bool flag);
  static bool Send(UINT msgId, std::shared_ptr<msg_body> body, bool flag);
};

// Paths under the configuration directory (see standin_env.h). Kind 2 is the
// application configuration file. Buffers hold MAX_PATH characters; a path
// that does not fit gives false and an empty buffer.
class IComm_Path {
 public:
  static bool GetCommFilePath(int kind, wchar_t* buffer);
  static bool GetSkinFilePath(int skinId, wchar_t* buffer);
};

class IData_QueryLanguage {
 public:
  static bool Init();
  static void UnInit();
  static void SetLanguage(int languageId);
  static int GetLanguage();
};

// A length in design pixels scaled by the application zoom, truncated.
int ZPixel(int designPixels);

// The localized text with a numeric id in the current language, from
// lang/lang_<id>.txt ("ID=text" lines); empty when absent.
class BaseString {
 public:
  explicit BaseString(int id);
  const std::wstring& GetString() const { return m_text; }
  const wchar_t* c_str() const { return m_text.c_str(); }

 private:
  std::wstring m_text;
};
