#include "families/affine_projection/affine_projection_token.h"

namespace adaptive {

namespace {
constexpr TokenFactory kFactories[] = {MakeToken<AffineProjectionToken>};
}  // namespace

const FamilyDescriptor kAffineProjectionFamily{"affine projection", kAffineProjectionRows, 1, kFactories,
                                               {"the coefficients", 0, false, false}};

}  // namespace adaptive
