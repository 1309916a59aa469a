#include "CommandHelp.h"

#include "BoardCommands.h"

namespace qv4130::scpi {

namespace {

std::string OneSyntax(const ParameterForm& form, bool following) {
    std::string names;
    for (const std::string_view name : form.names) {
        names.append(names.empty() ? "" : "|").append(name);
    }
    switch (form.kind) {
    case ValueKind::None:
        return {};
    case ValueKind::Integer:
    case ValueKind::Real:
        // Limits that follow a setting are told in the command's help.
        if (following) {
            return "<number>";
        }
        // Appended, not added: GCC 12 at -O3 takes a chain of + for an overlapping copy.
        return std::string("<")
            .append(FormatReal(form.limits.min))
            .append("..")
            .append(FormatReal(form.limits.max))
            .append(">")
            .append(names.empty() ? "" : "|")
            .append(names);
    case ValueKind::Boolean:
        return "ON|OFF|1|0";
    case ValueKind::Choice:
        return names;
    case ValueKind::ChannelList:
        break;
    }
    return std::string("(@<")
        .append(FormatReal(form.limits.min))
        .append("..")
        .append(FormatReal(form.limits.max))
        .append(">)");
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

std::vector<HelpEntry> BoardEntries() {
    return HelpEntries<Board>(CommandTable());
}

} // namespace

std::string ParameterSyntax(std::span<const ParameterForm> forms, std::span<const bool> following,
                            std::size_t required) {
    std::string syntax;
    for (std::size_t i = 0; i < forms.size(); ++i) {
        const bool optional = i >= required;
        syntax.append(i == 0 ? " " : "")
            .append(optional ? "[" : "")
            .append(i == 0 ? "" : ",")
            .append(OneSyntax(forms[i], following[i]));
    }
    return syntax.append(forms.size() - std::min(required, forms.size()), ']');
}

std::string CommandListText(std::span<const HelpEntry> entries) {
    std::string text;
    for (const HelpEntry& entry : entries) {
        text += "  " + entry.forms + '\n' + Wrapped(entry.help, 79, "      ");
    }
    return text;
}

std::string CommandListMarkdown(std::span<const HelpEntry> entries) {
    std::string text = "| Command | Does |\n|---|---|\n";
    for (const HelpEntry& entry : entries) {
        text +=
            "| `" + Replaced(entry.forms, '|', "\\|") + "` | " + std::string(entry.help) + " |\n";
    }
    return text;
}

std::string CommandListRoff(std::span<const HelpEntry> entries) {
    std::string text;
    for (const HelpEntry& entry : entries) {
        text += ".TP\n.B \"" + Replaced(entry.forms, '-', "\\-") + "\"\n" +
                Replaced(Replaced(entry.help, '\\', "\\e"), '-', "\\-") + '\n';
    }
    return text;
}

std::string CommandListText() {
    return CommandListText(BoardEntries());
}
std::string CommandListMarkdown() {
    return CommandListMarkdown(BoardEntries());
}
std::string CommandListRoff() {
    return CommandListRoff(BoardEntries());
}

} // namespace qv4130::scpi
