#include "CommandHelp.h"

#include "ParameterReading.h"
#include "board/PrinterPorts.h"

namespace qv4130::scpi {

namespace {

std::string ParameterSyntax(const ParameterRule& parameter) {
    switch (parameter.kind) {
    case ValueKind::None:
        return {};
    case ValueKind::Integer:
    case ValueKind::Real:
        // Limits that follow a setting are told in the command's help.
        if (parameter.limitsNow != nullptr) {
            return " <number>";
        }
        // Appended, not added: GCC 12 at -O3 takes a chain of + for an overlapping copy.
        return std::string(" <")
            .append(FormatReal(parameter.limits.min))
            .append("..")
            .append(FormatReal(parameter.limits.max))
            .append(">");
    case ValueKind::Boolean:
        return " ON|OFF|1|0";
    case ValueKind::Port:
        break;
    }
    std::string names;
    for (const PortMenuItem item : PortMenuItems) {
        names.append(names.empty() ? " " : "|").append(PortMenuName(item));
    }
    return names;
}

// "SOURce:CHANnel<n>:CODE <0..4095>, SOURce:CHANnel<n>:CODE?"
std::string Forms(const CommandRow& row) {
    std::string header;
    for (const char c : row.header) {
        header.append(c == '#' ? "<n>" : std::string_view(&c, 1));
    }
    std::string forms;
    if (row.set != nullptr) {
        forms.append(header).append(ParameterSyntax(row.parameter));
    }
    if (row.query != nullptr) {
        forms.append(forms.empty() ? "" : ", ").append(header).append("?");
    }
    return forms;
}

// `text` in lines of at most `width` characters, each after `indent`.
std::string Wrapped(std::string_view text, std::size_t width, std::string_view indent) {
    std::string lines;
    std::size_t lineLength = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(' '), text.size());
        const std::string_view word = text.substr(0, end);
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            lines += '\n';
            lineLength = 0;
        }
        lines.append(lineLength == 0 ? indent : " ").append(word);
        lineLength += (lineLength == 0 ? indent.size() : 1) + word.size();
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines + '\n';
}

std::string Replaced(std::string_view text, char from, std::string_view to) {
    std::string out;
    for (const char c : text) {
        out.append(c == from ? to : std::string_view(&c, 1));
    }
    return out;
}

} // namespace

std::string CommandListText() {
    std::string text;
    for (const CommandRow& row : CommandTable()) {
        text += "  " + Forms(row) + '\n' + Wrapped(row.help, 79, "      ");
    }
    return text;
}

std::string CommandListMarkdown() {
    std::string text = "| Command | Does |\n|---|---|\n";
    for (const CommandRow& row : CommandTable()) {
        text += "| `" + Replaced(Forms(row), '|', "\\|") + "` | " + std::string(row.help) + " |\n";
    }
    return text;
}

std::string CommandListRoff() {
    std::string text;
    for (const CommandRow& row : CommandTable()) {
        text += ".TP\n.B \"" + Replaced(Forms(row), '-', "\\-") + "\"\n" +
                Replaced(Replaced(row.help, '\\', "\\e"), '-', "\\-") + '\n';
    }
    return text;
}

} // namespace qv4130::scpi
