// Entry points of the QR tokens: one-, two- and three-channel least squares by
// Givens rotations.
#include "tokens/qr_tokens.h"

namespace adaptive {

using Qr1Token = QrToken<1, CatalogueIndex("QR1")>;
using Qr2Token = QrToken<2, CatalogueIndex("QR2")>;
using Qr3Token = QrToken<3, CatalogueIndex("QR3")>;

ADAPTIVE_TOKEN_ENTRY(QR1, Qr1Token)
ADAPTIVE_TOKEN_ENTRY(QR2, Qr2Token)
ADAPTIVE_TOKEN_ENTRY(QR3, Qr3Token)

}  // namespace adaptive
