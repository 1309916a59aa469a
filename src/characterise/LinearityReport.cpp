#include "LinearityReport.h"

#include "qv4130/PlainText.h"

#include <charconv>
#include <chrono>
#include <ctime>
#include <ostream>
#include <sstream>

namespace qv4130::characterise {

namespace {

std::string Number(double value) {
    char text[32];
    const auto [end, failure] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 10);
    return failure == std::errc{} ? std::string(text, end) : std::string("nan");
}

std::string Fixed(double value, int decimals) {
    char text[48];
    const auto [end, failure] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return failure == std::errc{} ? std::string(text, end) : std::string("nan");
}

std::string WorstText(const Worst& worst) {
    return Fixed(worst.lsb, 3) + " LSB at code " + std::to_string(worst.code);
}

std::string LocalTimeNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    char text[32];
    // localtime keeps its answer in a buffer of its own: taken at once, on the
    // one thread that starts runs.
    const std::tm* local = std::localtime(&now);
    return local != nullptr && std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", local) > 0
               ? std::string(text)
               : std::string("unknown");
}

} // namespace

RunRecord RecordOf(const RunSettings& settings, const Meter& meter, const std::string& address) {
    // A peer's words go into files and onto pictures: never a raw control byte.
    const std::string identity = text::Printable(meter.Identity());
    return {settings.channel, LocalTimeNow(),
            identity.empty() ? text::Printable(address) : identity, settings.settle,
            settings.average};
}

void WriteCsv(std::ostream& csv, const Linearity& result, const RunRecord& record,
              const RunStanding& standing) {
    csv << "# qv4130 characterisation of channel " << record.channel << ", " << record.when << '\n'
        << "# meter: " << record.meter << '\n'
        << "# reference: " << Number(result.ideal.vref) << " V over " << result.ideal.codeSpan
        << " codes\n"
        << "# settle: " << record.settle.count()
        << " us; readings per code: " << record.readingsPerCode << '\n';
    csv << "code,volts,error_lsb,inl_endpoint_lsb,inl_bestfit_lsb,dnl_lsb\n";
    for (const CodeResult& c : result.codes) {
        csv << c.code << ',' << Number(c.volts) << ',' << Fixed(c.errorLsb, 4) << ','
            << Fixed(c.inlEndPointLsb, 4) << ',' << Fixed(c.inlBestFitLsb, 4) << ','
            << (c.dnlLsb ? Fixed(*c.dnlLsb, 4) : std::string()) << '\n';
    }
    if (standing.partial) {
        csv << "# partial: " << *standing.partial << '\n';
    }
    if (standing.suspect) {
        csv << "# suspect: " << *standing.suspect << '\n';
    }
}

std::string SummaryText(const Linearity& result, int channel, const RunStanding& standing) {
    if (standing.suspect) {
        return "channel " + std::to_string(channel) + ": no figures: " + *standing.suspect + '\n';
    }
    if (!result.summary) {
        return "channel " + std::to_string(channel) + ": too few codes measured for the figures\n";
    }
    const Summary& s = *result.summary;
    std::ostringstream out;
    if (standing.partial) {
        out << "partial: " << *standing.partial << "; the figures are of those codes only\n";
    }
    out << "channel " << channel << ", " << result.codes.size() << " codes\n"
        << "offset: " << Fixed(s.offsetLsb, 3) << " LSB\n"
        << "gain error: " << Fixed(s.gainErrorLsb, 3) << " LSB (" << Fixed(s.gainErrorPercent, 4)
        << " %)\n"
        << "INL (end-point): " << WorstText(s.inlEndPoint) << '\n'
        << "INL (best-fit): " << WorstText(s.inlBestFit) << '\n'
        << "DNL: " << WorstText(s.dnl) << '\n'
        << "monotonic: "
        << (s.monotonic ? std::string("yes")
                        : "no, first step down at code " + std::to_string(*s.firstNonMonotonicCode))
        << '\n';
    return out.str();
}

std::string FiguresLine(const Summary& s) {
    return "offset " + Fixed(s.offsetLsb, 3) + " LSB, gain error " + Fixed(s.gainErrorLsb, 3) +
           " LSB (" + Fixed(s.gainErrorPercent, 4) + " %), INL " + Fixed(s.inlEndPoint.lsb, 3) +
           " LSB (best-fit " + Fixed(s.inlBestFit.lsb, 3) + "), DNL " + Fixed(s.dnl.lsb, 3) +
           " LSB, " + (s.monotonic ? "monotonic" : "not monotonic");
}

} // namespace qv4130::characterise
