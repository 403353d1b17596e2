#include "report/svg_charts.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace creditsim::cli {
namespace {

constexpr double kWidth = 760, kHeight = 300;
constexpr double kLeft = 70, kRight = 20, kTop = 20, kBottom = 45;
constexpr int kBins = 60;

std::string Number(double value, int decimals = 2) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// A linear map from data to pixels.
struct Axis {
  double low, high, from, to;
  double operator()(double value) const {
    return high == low ? (from + to) / 2 : from + (value - low) / (high - low) * (to - from);
  }
};

// Tick values at 1, 2 or 5 times a power of ten, about `count` of them.
std::vector<double> Ticks(double low, double high, int count) {
  std::vector<double> ticks;
  if (!(high > low)) return {low};
  const double raw = (high - low) / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double step = raw / power < 2 ? 2 * power : raw / power < 5 ? 5 * power : 10 * power;
  for (double t = std::ceil(low / step) * step; t <= high + step * 1e-9; t += step) ticks.push_back(t);
  return ticks;
}

std::string Open(const char* name, const std::string& title) {
  return "<svg data-chart=\"" + std::string(name) + "\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " +
         Number(kWidth, 0) + " " + Number(kHeight, 0) + "\" width=\"" + Number(kWidth, 0) + "\" height=\"" +
         Number(kHeight, 0) + "\" role=\"img\"><title>" + EscapeHtml(title) + "</title>";
}

std::string Frame(const Axis& x, const Axis& y, const std::string& xLabel, const std::string& yLabel, int yDecimals) {
  std::string out = "<g class=\"axis\">";
  for (double t : Ticks(x.low, x.high, 8)) {
    out += "<line x1=\"" + Number(x(t)) + "\" x2=\"" + Number(x(t)) + "\" y1=\"" + Number(y.from) + "\" y2=\"" +
           Number(y.from + 5) + "\"/><text x=\"" + Number(x(t)) + "\" y=\"" + Number(y.from + 18) +
           "\" text-anchor=\"middle\">" + Number(t, std::fabs(t) < 10 && t != std::floor(t) ? 1 : 0) + "</text>";
  }
  for (double t : Ticks(y.low, y.high, 5)) {
    out += "<line class=\"grid\" x1=\"" + Number(x.from) + "\" x2=\"" + Number(x.to) + "\" y1=\"" + Number(y(t)) +
           "\" y2=\"" + Number(y(t)) + "\"/><text x=\"" + Number(x.from - 6) + "\" y=\"" + Number(y(t) + 4) +
           "\" text-anchor=\"end\">" + Number(t, yDecimals) + "</text>";
  }
  out += "<line x1=\"" + Number(x.from) + "\" x2=\"" + Number(x.to) + "\" y1=\"" + Number(y.from) + "\" y2=\"" +
         Number(y.from) + "\"/>";
  out += "<text x=\"" + Number((x.from + x.to) / 2) + "\" y=\"" + Number(kHeight - 6) + "\" text-anchor=\"middle\">" +
         EscapeHtml(xLabel) + "</text>";
  out += "<text transform=\"translate(14 " + Number((y.from + y.to) / 2) + ") rotate(-90)\" text-anchor=\"middle\">" +
         EscapeHtml(yLabel) + "</text></g>";
  return out;
}

std::string VerticalMarker(const Axis& x, const Axis& y, double value, const std::string& cssClass,
                           const std::string& label, int row) {
  const double px = x(value);
  return "<line class=\"mark " + cssClass + "\" x1=\"" + Number(px) + "\" x2=\"" + Number(px) + "\" y1=\"" +
         Number(y.to) + "\" y2=\"" + Number(y.from) + "\"><title>" + EscapeHtml(label) + "</title></line>" +
         "<text class=\"label " + cssClass + "\" x=\"" + Number(px + 3) + "\" y=\"" + Number(y.to + 12 + 12 * row) +
         "\">" + EscapeHtml(label) + "</text>";
}

}  // namespace

std::string EscapeHtml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string LossDistributionChart(const RiskReport& report) {
  std::string out = Open("loss-distribution", "Distribution of the scenario loss");
  const std::vector<double>& pnl = report.sortedPnl;
  if (pnl.empty()) return out + "</svg>";
  const double lowLoss = -pnl.back(), highLoss = -pnl.front();
  const double width = highLoss > lowLoss ? (highLoss - lowLoss) / kBins : 1.0;
  std::vector<int> counts(kBins, 0);
  for (double value : pnl) {
    const int bin = std::min(kBins - 1, static_cast<int>((-value - lowLoss) / width));
    ++counts[static_cast<std::size_t>(std::max(bin, 0))];
  }
  const Axis x{lowLoss, lowLoss + width * kBins, kLeft, kWidth - kRight};
  const Axis y{0, static_cast<double>(*std::max_element(counts.begin(), counts.end())), kHeight - kBottom, kTop};
  out += Frame(x, y, "loss (minus P&L)", "scenarios", 0);
  for (int b = 0; b < kBins; ++b) {
    const double left = x(lowLoss + b * width), right = x(lowLoss + (b + 1) * width);
    out += "<rect class=\"mark bar\" x=\"" + Number(left) + "\" y=\"" + Number(y(counts[b])) + "\" width=\"" +
           Number(std::max(right - left - 1, 0.5)) + "\" height=\"" + Number(y.from - y(counts[b])) + "\"/>";
  }
  int row = 0;
  for (const LevelRisk& level : report.levels) {
    const std::string name = LevelName(level.levelBasisPoints);
    out += VerticalMarker(x, y, level.valueAtRisk, "var", "VaR " + name, row++);
    out += VerticalMarker(x, y, level.expectedShortfall, "es", "ES " + name, row++);
  }
  return out + "</svg>";
}

std::string ConvergenceChart(const RiskReport& report) {
  std::string out = Open("var-convergence", "VaR " + LevelName(report.convergenceLevel) + " as scenarios accumulate");
  if (report.convergence.empty()) return out + "</svg>";
  double low = report.convergence.front().valueAtRisk, high = low;
  for (const ConvergencePoint& p : report.convergence) {
    low = std::min(low, p.valueAtRisk);
    high = std::max(high, p.valueAtRisk);
  }
  const LevelRisk* final = nullptr;
  for (const LevelRisk& level : report.levels) {
    if (level.levelBasisPoints == report.convergenceLevel) final = &level;
  }
  if (final) {
    low = std::min(low, final->valueAtRiskLow);
    high = std::max(high, final->valueAtRiskHigh);
  }
  const double pad = high > low ? (high - low) * 0.05 : 1.0;
  const Axis x{0, static_cast<double>(report.convergence.back().scenarios), kLeft, kWidth - kRight};
  const Axis y{low - pad, high + pad, kHeight - kBottom, kTop};
  out += Frame(x, y, "scenarios", "VaR " + LevelName(report.convergenceLevel), 1);
  if (final) {
    out += "<rect class=\"band\" x=\"" + Number(x.from) + "\" y=\"" + Number(y(final->valueAtRiskHigh)) + "\" width=\"" +
           Number(x.to - x.from) + "\" height=\"" + Number(y(final->valueAtRiskLow) - y(final->valueAtRiskHigh)) +
           "\"><title>95 % interval of the final VaR</title></rect>";
  }
  std::string points;
  for (const ConvergencePoint& p : report.convergence) {
    points += Number(x(static_cast<double>(p.scenarios))) + "," + Number(y(p.valueAtRisk)) + " ";
  }
  out += "<polyline class=\"mark line\" points=\"" + points + "\"/>";
  for (const ConvergencePoint& p : report.convergence) {
    out += "<circle class=\"mark point\" cx=\"" + Number(x(static_cast<double>(p.scenarios))) + "\" cy=\"" +
           Number(y(p.valueAtRisk)) + "\" r=\"2.5\"><title>" + std::to_string(p.scenarios) + " scenarios: " +
           Number(p.valueAtRisk) + "</title></circle>";
  }
  return out + "</svg>";
}

std::string ContributorChart(const std::vector<ContributorBar>& bars, const std::string& title) {
  std::string out = Open("contributors", title);
  if (bars.empty()) return out + "</svg>";
  double low = 0, high = 0;
  for (const ContributorBar& bar : bars) {
    low = std::min(low, bar.value);
    high = std::max(high, bar.value);
  }
  constexpr double kLabelWidth = 150;
  const Axis x{low, high > low ? high : low + 1, kLeft + kLabelWidth, kWidth - kRight};
  const double rowHeight = (kHeight - kTop - kBottom) / static_cast<double>(bars.size());
  const Axis y{0, 1, kHeight - kBottom, kTop};
  out += "<g class=\"axis\">";
  for (double t : Ticks(x.low, x.high, 6)) {
    out += "<line class=\"grid\" x1=\"" + Number(x(t)) + "\" x2=\"" + Number(x(t)) + "\" y1=\"" + Number(kTop) +
           "\" y2=\"" + Number(y.from) + "\"/><text x=\"" + Number(x(t)) + "\" y=\"" + Number(y.from + 18) +
           "\" text-anchor=\"middle\">" + Number(t, 1) + "</text>";
  }
  out += "<text x=\"" + Number((x.from + x.to) / 2) + "\" y=\"" + Number(kHeight - 6) +
         "\" text-anchor=\"middle\">ES contribution</text></g>";
  for (std::size_t i = 0; i < bars.size(); ++i) {
    const double top = kTop + rowHeight * static_cast<double>(i);
    const double from = x(std::min(0.0, bars[i].value)), to = x(std::max(0.0, bars[i].value));
    out += "<text x=\"" + Number(x.from - 6) + "\" y=\"" + Number(top + rowHeight * 0.7) + "\" text-anchor=\"end\">" +
           EscapeHtml(bars[i].label) + "</text>";
    out += "<rect class=\"mark bar\" x=\"" + Number(from) + "\" y=\"" + Number(top + rowHeight * 0.15) +
           "\" width=\"" + Number(std::max(to - from, 0.5)) + "\" height=\"" + Number(rowHeight * 0.7) + "\"><title>" +
           EscapeHtml(bars[i].label) + ": " + Number(bars[i].value) + "</title></rect>";
  }
  return out + "</svg>";
}

}  // namespace creditsim::cli
