#include "families/proportionate/proportionate_token.h"

namespace adaptive {

namespace {
constexpr TokenFactory kFactories[] = {MakeToken<ProportionateToken>};
}  // namespace

const FamilyDescriptor kProportionateFamily{"proportionate NLMS", kProportionateRows, 1, kFactories,
                                            {"the coefficients", 0, false, false}};

}  // namespace adaptive
