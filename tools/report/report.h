// The layout after each step as a readable table and as one JSON document.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "layout.h"

namespace flexarium_cli {

// Text as every output writes it: valid UTF-8. The framework keeps a lone
// UTF-16 surrogate (three bytes, so that a form file round-trips), and a
// file name may hold any bytes; each such sequence becomes U+FFFD here.
std::string outputText(std::string_view text);

// "FILE: ContactForm (TContactForm), rescaled by Flexarium1" and the
// screen, or a note that nothing rescales without a component.
std::string formatHeader(const PreviewReport& report);
// One step: the form, the factors and a table of every control.
std::string formatStep(const StepLayout& step, int number);
// "x 2.0000, y 2.0000, font 2.0000 (1 rescale pass)".
std::string formatFactors(const StepLayout& step);

nlohmann::ordered_json stepToJson(const StepLayout& step);
nlohmann::ordered_json reportToJson(const PreviewReport& report);

}  // namespace flexarium_cli
