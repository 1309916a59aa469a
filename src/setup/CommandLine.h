#pragma once

// Command-line options declared once: each option's name, its value's name,
// its help and where its value goes, from which a program's parser and its
// help are both made. Both programs read their options through this, and
// qv4130ctl its commands' options (characterise, serve) too. No Qt here.

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qv4130::options {

// Why a command line can't be run, in the operator's words.
using Mistake = std::optional<std::string>;

// What the help and the parser know of an option, whatever it fills in.
struct OptionInfo {
    std::string_view name{};  // "trace": given as --trace, or --trace=VALUE
    std::string_view value{}; // its value's name in the help ("FILE.vcd"); empty for a switch
    std::string_view help{};  // what it does, one paragraph
    char letter = 0;          // a one-letter form ('h' for -h), 0 for none
    bool required = false;    // whose options these are can't do without it
    // The switch this option is only for ("virtual-board"), and what the option
    // does that needs it ("sets the virtual board's outputs"), for the usage error.
    std::string_view needs{};
    std::string_view needsBecause{};
    // Read but not shown: an old spelling kept only to say what took its place.
    bool hidden = false;
};

// One option of a command line. `apply` puts the value (empty for a switch,
// and for a value missing at the end of the line) into the settings, or says
// what is wrong with it after the option's name: "takes a file name".
template <typename Settings> struct Option {
    OptionInfo info;
    std::optional<std::string> (*apply)(Settings& settings, std::string_view value);
};

// Options of several declarations read together, each into its own settings.
// An option given more than once takes its last value. Reading goes on past a
// mistake, so that --help still wins over one; the first mistake is kept.
class OptionSet {
public:
    // `owner` names whose options these are in usage errors ("characterise has
    // no option --volts", "characterise needs --csv FILE"); empty for a program's.
    explicit OptionSet(std::string owner = {}) : owner_(std::move(owner)) {}

    // The settings must outlive the set; the declarations are static.
    template <typename Settings, std::size_t Count>
    OptionSet& Add(std::span<const Option<Settings>, Count> options, Settings& settings) {
        for (const Option<Settings>& option : options) {
            entries_.push_back({&option.info, [&option, &settings](std::string_view value) {
                                    return option.apply(settings, value);
                                }});
        }
        return *this;
    }

    // The options at the front of `words`, from `first` up to the first word
    // that is not one ("--" ends them too, and is read): the index of the first
    // word not read. A word that looks like an option but is none of these is a
    // mistake. A value is the word after its option, whatever it looks like.
    // `outer` holds the switches an option may need besides this set's own.
    std::size_t ReadLeading(std::span<const std::string_view> words, std::size_t first = 0,
                            const OptionSet* outer = nullptr);

    // These options wherever they stand among `words`, the others (another
    // reader's options, plain arguments) left alone: the indices of the words
    // that are neither an option of this set that takes a value nor its value.
    // Switches count as left, so the caller still sees them.
    std::vector<std::size_t> ReadAnywhere(std::span<const std::string_view> words);

    // The first mistake of the reading, if any: an unknown option, a switch
    // given a value, an option without the switch it needs, a value its option
    // refused, a required option missing.
    const Mistake& FirstMistake() const { return mistake_; }
    // Whether the option was given.
    bool Given(std::string_view name) const;

    // Each shown option, "  --trace <FILE.vcd>" with what it does beside it
    // from column `column`, wrapped to `width`.
    std::string Help(std::size_t column = 26, std::size_t width = 79) const;

private:
    struct Entry {
        const OptionInfo* info;
        std::function<Mistake(std::string_view)> apply;
        std::optional<std::string> given{}; // the last value given
    };

    Entry* Named(std::string_view word, std::optional<std::string_view>& attached);
    // Takes the option at words[i] (and its value): the index after it, or none when
    // the word is not one of these options.
    std::optional<std::size_t> Take(std::span<const std::string_view> words, std::size_t i);
    void Note(std::string mistake);
    void Finish(const OptionSet* outer);

    std::string owner_;
    std::vector<Entry> entries_;
    Mistake mistake_;
};

// `text` in lines of at most `width` characters, the first after `first`, the
// others after `indent` blanks; each line ends in a newline.
std::string Wrapped(std::string_view text, std::string_view first, std::size_t indent,
                    std::size_t width);

} // namespace qv4130::options
