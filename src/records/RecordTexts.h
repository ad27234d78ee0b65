#pragma once
// A record's result keyword as the user reads it.

#include <string>
#include <string_view>

// "成功", "失败", "中止"; a keyword this version does not know, as it is.
std::string ResultLabel(std::string_view result);
