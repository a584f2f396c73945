// The layout after each step as a readable table and as one JSON document.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "layout.h"

namespace flexarium_cli {

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
