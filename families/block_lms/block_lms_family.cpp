// The block LMS family's descriptor.
#include "families/block_lms/block_lms_token.h"

namespace adaptive {

namespace {

constexpr TokenFactory kFactories[] = {&MakeToken<BlockLmsToken>};

}  // namespace

const FamilyDescriptor kBlockLmsFamily = {"block LMS", kBlockLmsRows, 1, kFactories,
                                          {"the coefficients", 0, false, false}};

}  // namespace adaptive
