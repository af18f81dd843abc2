// A filter's coefficients read between samples, through the routine that
// writes its final-weights files (recorded every k samples by the Driver).
#include <limits>
#include <new>
#include <stdexcept>

#include "adaptive/filter.h"
#include "adaptive/driver.h"
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

}  // namespace

WeightsHistory::WeightsHistory(size_t every) : interval(every) {
  if (every == 0) throw std::invalid_argument("a weights history records every k samples with k at least 1, not 0");
}

void WeightsHistory::reserve(size_t rowCount, size_t columnCount) {
  if (columnCount != 0 && rowCount > values.max_size() / columnCount) {
    throw std::length_error(std::to_string(rowCount) + " rows of " + std::to_string(columnCount) +
                            " coefficients are more than a vector can hold");
  }
  values.reserve(rowCount * columnCount);
}

std::vector<double> WeightsHistory::takeData() {
  std::vector<double> taken;
  taken.swap(values);
  return taken;
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
  Driver driver(*this);
  driver.record(&history);
  driver.run(inputs, samples, outputs);
}

std::vector<double> Filter::process(const std::vector<double>& inputs, WeightsHistory& history) {
  std::vector<double> outputs(checkedRows(inputs.size()) * outputCount());
  processUnchecked(inputs.data(), inputs.size() / inputCount(), outputs.data(), history);
  return outputs;
}

}  // namespace adaptive
