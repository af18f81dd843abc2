#include "bench/expression_forms.h"

#include <cstdint>
#include <optional>

#include "tokens/catalogue_families.h"
#include "tests/reference/correlation_model.h"

namespace adaptive {

namespace {

// A token's model and the stacked history of its channels.
class ModelForm : public ExpressionForm {
 public:
  ModelForm(const std::vector<int>& lengths, CorrelationModel model)
      : channels(static_cast<int>(lengths.size())), taps(lengths), model(std::move(model)) {}

  void step(const double* inputs, double desired, double* outputs) override {
    const std::vector<double> out = model.step(taps.push(std::vector<double>(inputs, inputs + channels)), desired);
    for (int o = 0; o < 3; ++o) outputs[o] = out[o];
  }

 private:
  int channels;
  StackedTaps taps;
  CorrelationModel model;
};

}  // namespace

std::unique_ptr<ExpressionForm> MakeExpressionForm(const std::string& token, const std::vector<double>& p) {
  const std::string kinds[] = {"RLS1", "RW1", "RLS2", "RLS3", "RW2", "RW3", "NEW2", "NEW3"};
  bool known = false;
  for (const std::string& kind : kinds) known = known || kind == token;
  if (!known) return nullptr;
  const int entry = CatalogueIndex(token);
  const auto parameter = [&](const char* name) { return p[ParameterIndex(entry, name)]; };
  const int channels = token.back() - '0';
  std::vector<int> lengths;
  if (channels == 1) {
    lengths.push_back(static_cast<int32_t>(parameter("Numerator Coeffs")));
  } else {
    const char* names[] = {"Numerator Coeffs  1", "Numerator Coeffs  2", "Numerator Coeffs  3"};
    for (int c = 0; c < channels; ++c) lengths.push_back(static_cast<int32_t>(parameter(names[c])));
  }
  int n = 0;
  for (int length : lengths) n += length;
  const double lambda = parameter("Lambda");
  const double init = parameter("Init");
  if (token[0] == 'N')
    return std::make_unique<ModelForm>(
        lengths, CorrelationModel::newton(n, lambda, parameter("Mu"), parameter("Leakage"), init));
  const std::optional<double> variance =
      token[1] == 'W' ? std::optional<double>(parameter("Random Walk Variance")) : std::nullopt;
  const auto form = channels == 1 ? CorrelationModel::kRow : CorrelationModel::kOuter;
  return std::make_unique<ModelForm>(lengths, CorrelationModel(form, n, lambda, init, variance));
}

}  // namespace adaptive
