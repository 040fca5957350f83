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

bool TipHasChart(const VolumeFacts& facts, const DriveRates& rates) {
    return facts.DriveType != 1 &&
           (rates.Status == RateStatus::Known || rates.Status == RateStatus::Measuring);
}

std::string FormatDriveTip(char letter, const VolumeFacts& facts, const DriveRates& rates,
                           uint64_t chartPeak, const std::string& decimal) {
    std::string tip(1, letter);
    tip += ":";
    if (facts.DriveType == 1) return tip + " no drive"; // the system knows no such root
    if (!facts.Label.empty()) tip += " " + facts.Label;
    if (!facts.FileSystem.empty()) tip += " (" + facts.FileSystem + ")";
    static const char* const kKinds[] = {
        "unknown drive", "",        "removable drive", "fixed drive", "network drive",
        "optical drive", "RAM disk"};
    const int kind = facts.DriveType >= 0 && facts.DriveType <= 6 ? facts.DriveType : 0;
    tip += "\n";
    tip += kKinds[kind];
    switch (rates.Status) {
    case RateStatus::Known:
        tip += "\nRead: " + FormatByteRate(rates.ReadBytes, decimal) + ", " +
               std::to_string(rates.Reads) + " ops/s" + Response(rates.ReadResponse, decimal);
        tip += "\nWrite: " + FormatByteRate(rates.WriteBytes, decimal) + ", " +
               std::to_string(rates.Writes) + " ops/s" + Response(rates.WriteResponse, decimal);
        if (rates.Busy <= 100) {
            tip += "\nBusy " + std::to_string(rates.Busy) + " %";
            if (rates.QueueTenths != FigureUnknown)
                tip += ", queue " + Tenths(rates.QueueTenths, decimal);
        } else if (rates.QueueTenths != FigureUnknown) {
            tip += "\nQueue " + Tenths(rates.QueueTenths, decimal);
        }
        break;
    case RateStatus::Measuring:
        tip += "\nmeasuring...";
        break;
    default:
        tip += "\nactivity not available";
        break;
    }
    if (chartPeak > 0) tip += "\npeak " + FormatByteRate(chartPeak, decimal);
    return tip;
}
