#include "pix/kernels/sse2.h"
#include "pix/kernels/avx2.h"
namespace pix {
namespace sse2 {
void AddRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kAdd>(d, s, n, a); }
void AddSourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kAddSourceAlpha>(d, s, n, a); }
void DodgeRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kDodge>(d, s, n, a); }
void DodgeSourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kDodgeSourceAlpha>(d, s, n, a); }
void MultiplyRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kMultiply>(d, s, n, a); }
void MultiplySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kMultiplySourceAlpha>(d, s, n, a); }
void OverlayRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kOverlay>(d, s, n, a); }
void OverlaySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kOverlaySourceAlpha>(d, s, n, a); }
void AddSolidRow(uint32_t* d, int n, uint32_t c, int a) { scalar::SolidRow<kernels::kAdd>(d, n, c, a); }
void DodgeSolidRow(uint32_t* d, int n, uint32_t c, int a) { scalar::SolidRow<kernels::kDodge>(d, n, c, a); }
void MultiplySolidRow(uint32_t* d, int n, uint32_t c, int a) { scalar::SolidRow<kernels::kMultiply>(d, n, c, a); }
void OverlaySolidRow(uint32_t* d, int n, uint32_t c, int a) { scalar::SolidRow<kernels::kOverlay>(d, n, c, a); }
void ChannelCopyRow(uint32_t* d, const uint32_t* s, int n, int a, int b) { scalar::ChannelCopyRow(d, s, n, a, b); }
void QuarterMixRow(uint32_t* d, int n, uint32_t c) { scalar::QuarterMixRow(d, n, c); }
void HalfMixSolidRow(uint32_t* d, int n, uint32_t c) { scalar::HalfMixSolidRow(d, n, c); }
void ThreeQuarterMixRow(uint32_t* d, int n, uint32_t c) { scalar::ThreeQuarterMixRow(d, n, c); }
}
namespace avx2 {
void AddRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kAdd>(d, s, n, a); }
void AddSourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kAddSourceAlpha>(d, s, n, a); }
void DodgeRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kDodge>(d, s, n, a); }
void DodgeSourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kDodgeSourceAlpha>(d, s, n, a); }
void MultiplyRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kMultiply>(d, s, n, a); }
void MultiplySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kMultiplySourceAlpha>(d, s, n, a); }
void OverlayRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kOverlay>(d, s, n, a); }
void OverlaySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int a) { scalar::BlendRow<kernels::kOverlaySourceAlpha>(d, s, n, a); }
void AddSolidRow(uint32_t* d, int n, uint32_t c, int a) { scalar::SolidRow<kernels::kAdd>(d, n, c, a); }
void DodgeSolidRow(uint32_t* d, int n, uint32_t c, int a) { scalar::SolidRow<kernels::kDodge>(d, n, c, a); }
void MultiplySolidRow(uint32_t* d, int n, uint32_t c, int a) { scalar::SolidRow<kernels::kMultiply>(d, n, c, a); }
void OverlaySolidRow(uint32_t* d, int n, uint32_t c, int a) { scalar::SolidRow<kernels::kOverlay>(d, n, c, a); }
void ChannelCopyRow(uint32_t* d, const uint32_t* s, int n, int a, int b) { scalar::ChannelCopyRow(d, s, n, a, b); }
void QuarterMixRow(uint32_t* d, int n, uint32_t c) { scalar::QuarterMixRow(d, n, c); }
void HalfMixSolidRow(uint32_t* d, int n, uint32_t c) { scalar::HalfMixSolidRow(d, n, c); }
void ThreeQuarterMixRow(uint32_t* d, int n, uint32_t c) { scalar::ThreeQuarterMixRow(d, n, c); }
}
}
