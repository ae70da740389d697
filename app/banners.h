#pragma once
// The two console banners, as exact text.
#include <string>

// A line end, then 43 lines of 72 characters; the prompt follows it.
std::string UsageBanner();

// Two line ends, then 16 lines of 64 characters; the last one, a rule of
// dashes, has no line end.
std::string RunBanner();

// The prompt that follows the usage banner, with no line end.
extern const char kPromptText[];
