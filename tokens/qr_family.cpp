// The factories and descriptor of the QR tokens: one-, two- and three-channel least squares by
// Givens rotations.
#include "tokens/qr_tokens.h"

namespace adaptive {

using Qr1Token = QrToken<1, CatalogueIndex("QR1")>;
using Qr2Token = QrToken<2, CatalogueIndex("QR2")>;
using Qr3Token = QrToken<3, CatalogueIndex("QR3")>;

static_assert(ReadTheirRows<Qr1Token, Qr2Token, Qr3Token>(kQrRows), "the factories and the rows disagree");
const TokenFactory kQrFactories[] = {&MakeToken<Qr1Token>, &MakeToken<Qr2Token>, &MakeToken<Qr3Token>};
const FamilyDescriptor kQrFamily = {"QR", kQrRows, 3, kQrFactories,
                                       {"the triangle R", 1, true, false}};

}  // namespace adaptive
