// Tokens of the policy catalogue files (policy_catalogue.def,
// tab_config.def): the value kinds and the write flags as they stand there.
#pragma once

#include "policies/policy_value.h"

namespace catalogue_tokens {
constexpr int Int = kPolicyInt;
constexpr int Bool = kPolicyBool;
constexpr int Text = kPolicyText;
constexpr int Align = kPolicyAlignment;
constexpr int Colour = kPolicyColour;
constexpr int Font = kPolicyFont;
constexpr int Choice = kPolicyChoice;
enum class WriteFlag { None, OptionalInt, WhenSet };
constexpr WriteFlag OPT = WriteFlag::OptionalInt;  // an Int written "(none)" when 0 or less
constexpr WriteFlag SET = WriteFlag::WhenSet;  // written only when set
constexpr WriteFlag NONE = WriteFlag::None;
}  // namespace catalogue_tokens
