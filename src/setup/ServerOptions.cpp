#include "ServerOptions.h"

namespace qv4130 {

namespace {

using options::Mistake;

constexpr std::string_view ListenSyntax = "[ADDR:]PORT";

Mistake Listen(std::optional<scpi::ListenAddress>& into, std::string_view text) {
    into = scpi::ParseListenAddress(text);
    if (!into) {
        return std::string("takes ")
            .append(ListenSyntax)
            .append(", ADDR an IP address or localhost");
    }
    return std::nullopt;
}

constexpr options::Option<ServerChoice> Declared[] = {
    {{.name = "listen",
      .value = ListenSyntax,
      .help = "Serve the board's SCPI over TCP on PORT, on the loopback address unless ADDR (an IP "
              "address or localhost) is given; port 0 picks a free port. Prints where it "
              "listens; an address other than the loopback gets a warning, as anyone who can "
              "reach it can drive the board."},
     [](ServerChoice& choice, std::string_view text) { return Listen(choice.listen, text); }},
    {{.name = "meter-listen",
      .value = ListenSyntax,
      .help = "Serve the virtual board's simulated meter over TCP too, with the address defaults "
              "of --listen: ROUT:CLOS (@n), MEAS:VOLT:DC?, READ?, CONF:VOLT:DC, SYST:ERR?, with "
              "one error queue for all its clients. Only with --virtual-board.",
      .needs = "virtual-board",
      .needsBecause = "serves the virtual board's simulated meter"},
     [](ServerChoice& choice, std::string_view text) { return Listen(choice.meterListen, text); }},
};

} // namespace

std::span<const options::Option<ServerChoice>> ServerChoiceOptions() {
    return Declared;
}

} // namespace qv4130
