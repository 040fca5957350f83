#include "display/drive_tip_text.h"

namespace {

std::string Tenths(uint64_t tenths, const std::string& decimal) {
    return std::to_string(tenths / 10) + decimal + std::to_string(tenths % 10);
}

// ", 0,4 ms" after an operation rate, where the figure is known.
std::string Response(uint32_t units, const std::string& decimal) {
    return units == FigureUnknown ? std::string() : ", " + FormatResponseTime(units, decimal);
}

} // namespace

std::string FormatByteRate(uint64_t bytesPerSecond, const std::string& decimal) {
    if (bytesPerSecond < 1024) return std::to_string(bytesPerSecond) + " B/s";
    // Tenths, rounded, in whole numbers: no floating point and no printf in the program.
    static const char* const kUnits[] = {" KB/s", " MB/s", " GB/s"};
    uint64_t unit = 1024;
    int u = 0;
    uint64_t tenths = 0;
    for (;; unit *= 1024, ++u) {
        // Half a tenth added before dividing, in a form that cannot overflow.
        const uint64_t whole = bytesPerSecond / unit, rest = bytesPerSecond % unit;
        tenths = whole * 10 + (rest * 10 + unit / 2) / unit;
        if (tenths < 10240 || u == 2) break;
    }
    return Tenths(tenths, decimal) + kUnits[u];
}

std::string FormatResponseTime(uint32_t units, const std::string& decimal) {
    const uint64_t tenthsOfMs = (uint64_t{units} + 500) / 1000;
    if (tenthsOfMs == 0) return "< " + Tenths(1, decimal) + " ms";
    if (tenthsOfMs < 100) return Tenths(tenthsOfMs, decimal) + " ms";
    const uint64_t ms = (uint64_t{units} + 5000) / 10000;
    if (ms < 1000) return std::to_string(ms) + " ms";
    return Tenths((uint64_t{units} + 500000) / 1000000, decimal) + " s";
}

std::string FormatSize(uint64_t bytes, const std::string& decimal) {
    if (bytes < 1000) return std::to_string(bytes) + " bytes";
    // Hundredths of the first unit in which the whole part is below 1000, cut.
    int u = 0;
    uint64_t unit = 1024;
    while (bytes / unit >= 1000 && u < 5) unit *= 1024, ++u;
    const uint64_t whole = bytes / unit;
    const int shift = u >= 4 ? 20 : 0; // a hundred times the rest would overflow
    uint64_t hundredths = ((bytes % unit) >> shift) * 100 / (unit >> shift);
    std::string size = std::to_string(whole);
    if (whole < 100) {
        // Three figures: two decimals below 10, one below 100.
        if (whole >= 10) hundredths /= 10;
        size += decimal + std::to_string(hundredths);
        if (whole < 10 && hundredths < 10) size.insert(size.size() - 1, 1, '0');
    }
    return size + (" KB\0 MB\0 GB\0 TB\0 PB\0 EB" + 4 * u);
}

bool TipHasChart(const VolumeFacts& facts, const DriveRates& rates) {
    return facts.DriveType != 1 &&
           (rates.Status == RateStatus::Known || rates.Status == RateStatus::Measuring);
}

std::string FormatDriveTip(char letter, const VolumeFacts& facts, const DriveRates& rates,
                           uint64_t chartPeak, const std::string& decimal) {
    std::string tip(1, letter);
    tip += ':';
    if (facts.DriveType == 1) return tip += " no drive"; // the system knows no such root
    if (facts.Label[0]) (tip += ' ') += facts.Label;
    if (facts.FileSystem[0]) ((tip += " (") += facts.FileSystem) += ')';
    static const char* const kKinds[] = {
        "unknown drive", "",        "removable drive", "fixed drive", "network drive",
        "optical drive", "RAM disk"};
    const int kind = facts.DriveType >= 0 && facts.DriveType <= 6 ? facts.DriveType : 0;
    // A drive never heard from is just "not answering"; one known before keeps its kind.
    tip += '\n';
    if (kind || !facts.NotAnswering) tip += kKinds[kind];
    if (facts.NotAnswering) tip += kind ? ", not answering" : "not answering";
    // One operation's line: "Read: 1.0 MB/s, 40 ops/s, 0.4 ms". Appended piece by piece: each
    // temporary string of a longer expression costs code of its own.
    const auto operations = [&](const char* name, uint64_t bytes, uint32_t count,
                                uint32_t response) {
        (((tip += name) += FormatByteRate(bytes, decimal)) += ", ") += std::to_string(count);
        (tip += " ops/s") += Response(response, decimal);
    };
    switch (rates.Status) {
    case RateStatus::Known:
        operations("\nRead: ", rates.ReadBytes, rates.Reads, rates.ReadResponse);
        operations("\nWrite: ", rates.WriteBytes, rates.Writes, rates.WriteResponse);
        if (rates.Busy <= 100) {
            ((tip += "\nBusy ") += std::to_string(rates.Busy)) += " %";
            if (rates.QueueTenths != FigureUnknown)
                (tip += ", queue ") += Tenths(rates.QueueTenths, decimal);
        } else if (rates.QueueTenths != FigureUnknown) {
            (tip += "\nQueue ") += Tenths(rates.QueueTenths, decimal);
        }
        break;
    case RateStatus::Measuring:
        tip += "\nmeasuring...";
        break;
    case RateStatus::NotAnswering:
        tip += "\nnot answering";
        break;
    default:
        tip += facts.DriveType == 4 ? "\nactivity is not measured for network drives"
                                    : "\nactivity not available";
        break;
    }
    if (facts.SpaceKnown)
        (((tip += '\n') += FormatSize(facts.FreeBytes, decimal)) += " free of ") +=
            FormatSize(facts.TotalBytes, decimal);
    if (chartPeak > 0) (tip += "\npeak ") += FormatByteRate(chartPeak, decimal);
    return tip;
}

std::string TipPart(const std::string& tip, int part) {
    const size_t first = tip.find('\n');
    const size_t second = first == std::string::npos ? first : tip.find('\n', first + 1);
    if (part == TipName) {
        std::string name = tip.substr(0, first);
        const size_t system = name.rfind(" (");
        if (system != std::string::npos && name.back() == ')') name.resize(system);
        return name;
    }
    if (first == std::string::npos) return std::string();
    if (part == TipKind) return tip.substr(first + 1, second - first - 1);
    if (second == std::string::npos) return std::string();
    std::string figures = tip.substr(second + 1);
    for (size_t at = 0; (at = figures.find('\n', at)) != std::string::npos;)
        figures.replace(at, 1, "; ");
    return figures;
}
