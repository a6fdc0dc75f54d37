#pragma once
// Named drawing constants: the fixed words of the intermediate script that
// stand for colours (tag 0x02, colour 0xBBGGRR in the low three bytes) and
// drawing styles (tag 0x01, a small number in the low byte). The four style
// families (PLOY..., CLT..., CIT...) number their styles separately.
#include <cstdint>
#include <string_view>

struct StyleName {
  const char* name;  // upper case
  uint32_t code;
};

constexpr int32_t STYLE_NAME_COUNT = 31;

// Sorted by name, so that lookups can search it as an ordered map.
inline constexpr StyleName StyleNameTable[] = {
    {"CITCIRCLE", 0x01000001},     {"CITCROSS", 0x01000002},       {"CITDOTLINE", 0x01000003},
    {"CITPOINT", 0x01000000},      {"CITSAR", 0x01000004},         {"CLRBLACK", 0x02000000},
    {"CLRBLUE", 0x02FF0000},       {"CLRDEFAULT", 0x02FEFEFE},     {"CLRGRAY", 0x02808080},
    {"CLRGREEN", 0x0200FF00},      {"CLRPINK", 0x02CBC0FF},        {"CLRPURPLE", 0x02FF00FF},
    {"CLRRED", 0x020000FF},        {"CLRSKY", 0x02FFFF00},         {"CLRWHITE", 0x02FFFFFF},
    {"CLRYELLOW", 0x0200FFFF},     {"CLTCOLORSTICK", 0x01000003},  {"CLTLINESTICK", 0x01000002},
    {"CLTRTVOLSTICK", 0x01000004}, {"CLTSTICK", 0x01000001},       {"CLTVOLSTICK", 0x01000000},
    {"PLOYCIRCLEDOT", 0x01000002}, {"PLOYCOLORSTICK", 0x01000005}, {"PLOYCROSSDOT", 0x01000004},
    {"PLOYDOTLINE", 0x01000006},   {"PLOYLINESTICK", 0x01000003},  {"PLOYNOMAL", 0x01000008},
    {"PLOYPOINTDOT", 0x01000007},  {"PLOYSAR", 0x01000009},        {"PLOYSTICK", 0x01000001},
    {"PLOYVOLSTICK", 0x01000000},
};
static_assert(sizeof(StyleNameTable) / sizeof(StyleNameTable[0]) == STYLE_NAME_COUNT,
              "the style-name table has 31 entries");

// Looks a word up, ASCII letters compared in upper case. *code is set to 0
// first and receives the code when the word is found.
bool LookupStyleName(std::string_view name, uint32_t* code);
