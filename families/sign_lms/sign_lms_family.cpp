#include "families/sign_lms/sign_lms_tokens.h"

namespace adaptive {

namespace {
constexpr TokenFactory kFactories[] = {MakeToken<SignErrorLmsToken>, MakeToken<SignDataLmsToken>,
                                       MakeToken<SignSignLmsToken>};
}  // namespace

const FamilyDescriptor kSignLmsFamily{"sign LMS", kSignLmsRows, 3, kFactories,
                                      {"the coefficients", 0, false, false}};

}  // namespace adaptive
