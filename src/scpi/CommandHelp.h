#pragma once

#include "CommandTable.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qv4130::scpi {

// A command table as people read it: each row's forms ("SOURce:CHANnel<n>:CODE
// <0..4095>", "SOURce:CHANnel<n>:CODE?") and what it does. Nothing else lists the
// commands: the programs' help prints this, and a test holds the manual page's
// and the documentation's lists to it.

// One row's forms and help.
struct HelpEntry {
    std::string forms;
    std::string_view help;
};

// For --help: each command's forms on one line, what it does below, indented.
std::string CommandListText(std::span<const HelpEntry> entries);
// For the documentation: a Markdown table, one row a command.
std::string CommandListMarkdown(std::span<const HelpEntry> entries);
// For the manual page: one .TP paragraph a command.
std::string CommandListRoff(std::span<const HelpEntry> entries);

// " <0..4095>", " [<0.1..1000>|AUTO[,<0..1000>]]": what follows a header.
std::string ParameterSyntax(std::span<const ParameterForm> forms, std::span<const bool> following,
                            std::size_t required);

template <typename Device>
std::vector<HelpEntry> HelpEntries(std::span<const CommandRow<Device>> rows) {
    std::vector<HelpEntry> entries;
    for (const CommandRow<Device>& row : rows) {
        const Parameters<Device>& parameters = row.parameters;
        std::array<ParameterForm, MaxParameterValues> taken;
        std::array<bool, MaxParameterValues> following{};
        for (std::size_t i = 0; i < parameters.count; ++i) {
            taken[i] = parameters.rules[i];
            following[i] = parameters.rules[i].limitsNow != nullptr;
        }
        const auto given = std::span(taken).first(parameters.count);
        std::string header;
        for (const char c : row.header) {
            header.append(c == '#' ? "<n>" : std::string_view(&c, 1));
        }
        std::string forms;
        if (row.set != nullptr) {
            forms.append(header).append(ParameterSyntax(given, following, parameters.required));
        }
        if (row.query != nullptr) {
            forms.append(forms.empty() ? "" : ", ").append(header).append("?");
            if (parameters.forQuery) {
                forms.append(ParameterSyntax(given, following, 0));
            }
        }
        entries.push_back({std::move(forms), row.help});
    }
    return entries;
}

// The board's commands.
std::string CommandListText();
std::string CommandListMarkdown();
std::string CommandListRoff();

} // namespace qv4130::scpi
