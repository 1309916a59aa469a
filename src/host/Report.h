#pragma once

#include <functional>
#include <string>

namespace qv4130 {

// How a layer tells the operator that something failed, without knowing where
// the program shows it: each program makes one Report and hands it to every
// layer, and the program alone puts its name in front of the text.
using Report = std::function<void(const std::string& text)>;

} // namespace qv4130
