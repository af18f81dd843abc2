// A filter's coefficients read between samples, through the routine that
// writes its final-weights files, and recorded every k samples.
#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>

#include "adaptive/filter.h"
#include "api/filter_instance.h"
#include "core/coefficient_sink.h"

namespace adaptive {

namespace {

// The coefficients a token reports, channel by channel.
class WeightsReader : public CoefficientSink {
 public:
  explicit WeightsReader(std::vector<ChannelWeights>* channels) : channels(channels) {}

  void addChannel(int channel, const double* numerator, int32_t count, DenominatorSection section,
               const double* feedback, int32_t feedbackCount) override {
    ChannelWeights& target = at(channel);
    target.numerator.assign(numerator, numerator + count);
    target.denominator.assign(1, 1.0);
    if (section != DenominatorSection::Recursive) return;
    for (int32_t j = 0; j < feedbackCount; ++j) target.denominator.push_back(-feedback[j]);
  }

  void addUndetermined(int channel, int32_t count) override {
    ChannelWeights& target = at(channel);
    target.numerator.assign(static_cast<size_t>(count), std::numeric_limits<double>::quiet_NaN());
    target.denominator.assign(1, 1.0);
  }

 private:
  ChannelWeights& at(int channel) {
    if (channels->size() <= static_cast<size_t>(channel)) channels->resize(static_cast<size_t>(channel) + 1);
    return (*channels)[static_cast<size_t>(channel)];
  }

  std::vector<ChannelWeights>* channels;
};

// The coefficients as a row of a history.
std::vector<double> HistoryRow(const std::vector<ChannelWeights>& channels) {
  std::vector<double> row;
  for (const ChannelWeights& channel : channels) {
    row.insert(row.end(), channel.numerator.begin(), channel.numerator.end());
    row.insert(row.end(), channel.denominator.begin() + 1, channel.denominator.end());
  }
  return row;
}

}  // namespace

WeightsHistory::WeightsHistory(size_t every) : interval(every) {
  if (every == 0) throw std::invalid_argument("a weights history records every k samples with k at least 1, not 0");
}

const AdaptiveToken& Filter::readableToken() const {
  const AdaptiveToken* token = open().token();
  if (token == nullptr) {
    throw std::logic_error("the coefficients of the " + info->name + " filter of the plug-in " + library.path() +
                           " cannot be read: a plug-in loaded from a file shows them only in its final-weights "
                           "files, written at close(); filters of the linked library have them at any time");
  }
  return *token;
}

std::vector<ChannelWeights> Filter::weights() const {
  std::vector<ChannelWeights> channels;
  WeightsReader reader(&channels);
  if (!readableToken().reportCoefficients(reader)) throw std::bad_alloc();
  return channels;
}

void Filter::processUnchecked(const double* inputs, size_t samples, double* outputs, WeightsHistory& history) {
  // Before any sample runs: refused for a loaded plug-in or a filter whose
  // rows are wider or narrower than those the history holds, and the width
  // even of a history that records no row.
  const size_t width = HistoryRow(weights()).size();
  if (history.width == 0) history.width = width;
  if (history.width != width) {
    throw std::invalid_argument("this weights history holds rows of " + std::to_string(history.width) +
                                " coefficients, but the " + info->name + " filter has " + std::to_string(width) +
                                ": give each filter a history of its own");
  }
  const size_t in = inputCount();
  const size_t out = outputCount();
  size_t done = 0;
  while (done < samples) {
    const size_t count = std::min(samples - done, history.interval - history.sinceLast);
    processUnchecked(inputs + done * in, count, outputs + done * out);
    done += count;
    history.sinceLast += count;
    if (history.sinceLast < history.interval) break;
    history.sinceLast = 0;
    const std::vector<double> row = HistoryRow(weights());
    history.values.insert(history.values.end(), row.begin(), row.end());
  }
}

std::vector<double> Filter::process(const std::vector<double>& inputs, WeightsHistory& history) {
  std::vector<double> outputs(checkedRows(inputs.size()) * outputCount());
  processUnchecked(inputs.data(), inputs.size() / inputCount(), outputs.data(), history);
  return outputs;
}

}  // namespace adaptive
