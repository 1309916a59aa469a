#include "CommandLine.h"

#include "qv4130/PlainText.h"

#include <algorithm>

namespace qv4130::options {

namespace {

// "--name", "--name=VALUE", or "-x" for a one-letter form.
bool LooksLikeOption(std::string_view word) {
    return (word.size() > 2 && word.starts_with("--")) ||
           (word.size() == 2 && word[0] == '-' && word[1] != '-');
}

std::string Dashed(const OptionInfo& info) {
    return "--" + std::string(info.name);
}

} // namespace

OptionSet::Entry* OptionSet::Named(std::string_view word,
                                   std::optional<std::string_view>& attached) {
    attached.reset();
    if (word.size() == 2) {
        const auto found = std::ranges::find_if(entries_, [&](const Entry& e) {
            return e.info->letter != 0 && e.info->letter == word[1];
        });
        return found != entries_.end() ? &*found : nullptr;
    }
    std::string_view name = word.substr(2);
    if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
        attached = name.substr(equals + 1);
        name = name.substr(0, equals);
    }
    const auto found =
        std::ranges::find_if(entries_, [&](const Entry& e) { return e.info->name == name; });
    return found != entries_.end() ? &*found : nullptr;
}

std::optional<std::size_t> OptionSet::Take(std::span<const std::string_view> words, std::size_t i) {
    std::optional<std::string_view> attached;
    Entry* entry = LooksLikeOption(words[i]) ? Named(words[i], attached) : nullptr;
    if (entry == nullptr) {
        return std::nullopt;
    }
    if (entry->info->value.empty()) {
        if (attached) {
            Note(Dashed(*entry->info) + " takes no value");
        }
        entry->given = std::string();
        return i + 1;
    }
    if (attached) {
        entry->given = std::string(*attached);
        return i + 1;
    }
    // The next word, whatever it looks like; none at the end of the line.
    entry->given = i + 1 < words.size() ? std::string(words[i + 1]) : std::string();
    return std::min(i + 2, words.size());
}

void OptionSet::Note(std::string mistake) {
    if (!mistake_) {
        mistake_ = std::move(mistake);
    }
}

std::size_t OptionSet::ReadLeading(std::span<const std::string_view> words, std::size_t first,
                                   const OptionSet* outer) {
    std::size_t i = first;
    while (i < words.size()) {
        if (words[i] == "--") {
            ++i;
            break;
        }
        if (!LooksLikeOption(words[i])) {
            break;
        }
        if (const auto next = Take(words, i)) {
            i = *next;
            continue;
        }
        const std::string shown = text::Printable(words[i]);
        Note(owner_.empty() ? "unknown option " + shown : owner_ + " has no option " + shown);
        ++i;
    }
    Finish(outer);
    return i;
}

std::vector<std::size_t> OptionSet::ReadAnywhere(std::span<const std::string_view> words) {
    std::vector<std::size_t> left;
    for (std::size_t i = 0; i < words.size();) {
        std::optional<std::string_view> attached;
        const Entry* entry = LooksLikeOption(words[i]) ? Named(words[i], attached) : nullptr;
        const auto next = entry != nullptr ? Take(words, i) : std::nullopt;
        if (next && !entry->info->value.empty()) {
            i = *next;
            continue;
        }
        left.push_back(i++);
    }
    Finish(nullptr);
    return left;
}

void OptionSet::Finish(const OptionSet* outer) {
    for (const Entry& entry : entries_) {
        const std::string_view needs = entry.info->needs;
        if (entry.given && !needs.empty() && !Given(needs) &&
            (outer == nullptr || !outer->Given(needs))) {
            Note(Dashed(*entry.info) + " " + std::string(entry.info->needsBecause) +
                 ": it needs --" + std::string(needs));
        }
    }
    for (const Entry& entry : entries_) {
        if (entry.given) {
            if (auto mistake = entry.apply(*entry.given)) {
                Note(Dashed(*entry.info) + " " + *mistake);
            }
        }
    }
    for (const Entry& entry : entries_) {
        if (entry.info->required && !entry.given) {
            std::string mistake = owner_.empty() ? std::string("it") : owner_;
            mistake.append(" needs ").append(Dashed(*entry.info));
            if (!entry.info->value.empty()) {
                mistake.append(" ").append(entry.info->value);
            }
            Note(std::move(mistake));
        }
    }
}

bool OptionSet::Given(std::string_view name) const {
    return std::ranges::any_of(
        entries_, [name](const Entry& e) { return e.info->name == name && e.given.has_value(); });
}

std::string OptionSet::Help(std::size_t column, std::size_t width) const {
    std::string text;
    for (const Entry& entry : entries_) {
        const OptionInfo& info = *entry.info;
        if (info.hidden) {
            continue;
        }
        std::string head = "  ";
        if (info.letter != 0) {
            head.append("-").append(1, info.letter).append(", ");
        }
        head.append(Dashed(info));
        if (!info.value.empty()) {
            head.append(" <").append(info.value).append(">");
        }
        text += Wrapped(info.help, head, column, width);
    }
    return text;
}

std::string Wrapped(std::string_view text, std::string_view first, std::size_t indent,
                    std::size_t width) {
    std::string lines;
    std::string line(first);
    if (!line.empty() && line.size() >= indent) {
        lines.append(line).append("\n");
        line.clear();
    }
    line.resize(indent, ' ');
    bool bare = true; // no word on the line yet
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(' '), text.size());
        const std::string_view word = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (word.empty()) {
            continue;
        }
        if (!bare && line.size() + 1 + word.size() > width) {
            lines.append(line).append("\n");
            line.assign(indent, ' ');
            bare = true;
        }
        line.append(bare ? "" : " ").append(word);
        bare = false;
    }
    return lines.append(line).append("\n");
}

} // namespace qv4130::options
