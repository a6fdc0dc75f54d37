#pragma once
// Message texts of the front end, as GBK (code page 936) bytes.

// "语法错误"
constexpr char kMsgSyntaxError[] = "\xD3\xEF\xB7\xA8\xB4\xED\xCE\xF3";
// "函数不支持", written after the keyword it concerns
constexpr char kMsgNotSupported[] = "\xBA\xAF\xCA\xFD\xB2\xBB\xD6\xA7\xB3\xD6";
// "非法的指标自引用"
constexpr char kMsgSelfReference[] = "\xB7\xC7\xB7\xA8\xB5\xC4\xD6\xB8\xB1\xEA\xD7\xD4\xD2\xFD\xD3\xC3";
// "用户自定义颜色超过100个"
constexpr char kMsgTooManyColours[] =
    "\xD3\xC3\xBB\xA7\xD7\xD4\xB6\xA8\xD2\xE5\xD1\xD5\xC9\xAB\xB3\xAC\xB9\xFD"
    "100"
    "\xB8\xF6";
