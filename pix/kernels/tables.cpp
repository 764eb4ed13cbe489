// The kernel table of each level. HSV adjust stays scalar at every level: each pixel takes one
// of six hue sextants with its own products, plus two reciprocal-table lookups, so a vector form
// would compute all six and gather the table for a rule the editor never uses.
#include "pix/kernels/avx2.h"
#include "pix/kernels/kernels.h"
#include "pix/kernels/sse2.h"

namespace pix {
namespace kernels {
namespace {

template <int... k> struct RuleList {};
using AllRules = RuleList<kCopy, kCopySourceAlpha, kOver, kAdd, kAddSourceAlpha, kDodge, kDodgeSourceAlpha, kMultiply,
                          kMultiplySourceAlpha, kOverlay, kOverlaySourceAlpha, kHsv, kHsvSourceAlpha>;

template <int... k> constexpr Table MakeScalarTable(RuleList<k...>) {
  return Table{Level::kScalar,
               {&scalar::BlendRow<k>...},
               {&scalar::SolidRow<k>...},
               scalar::HalfMixRow,
               scalar::FillRow,
               scalar::QuarterMixRow,
               scalar::HalfMixSolidRow,
               scalar::ThreeQuarterMixRow,
               scalar::ChannelCopyRow,
               scalar::GlyphCopy,
               scalar::CoverageCopy,
               nullptr};
}

// Solid rows for the rules whose fills nothing calls with a colour of its own: their scalar form.
template <int k> constexpr SolidRow kScalarSolid = &scalar::SolidRow<k>;

// SSE2 has no fused nearest over and none of the plain-scaling and step-4 box kernels.
constexpr ScaleKernels kSse2Scale = {scalar::Gather,   nullptr, sse2::BilinearRun, sse2::ColumnSums, sse2::BoxResults,
                                     nullptr,          nullptr, nullptr,           nullptr,          nullptr,
                                     nullptr};

constexpr ScaleKernels kAvx2Scale = {scalar::Gather,         avx2::NearestOverRow,       avx2::BilinearRun,
                                     avx2::ColumnSums,       avx2::BoxResults,           avx2::BilinearScaleWeights,
                                     avx2::BilinearScaleRow, avx2::BilinearBlocks,       avx2::BilinearBlockRow,
                                     avx2::ColumnPlanes,     avx2::BoxRowStep4};

}  // namespace

const Table& ScalarTable() {
  static constexpr Table table = MakeScalarTable(AllRules());
  return table;
}

#define PIX_LEVEL_TABLE(ns, LEVEL, SCALE)                                                                      \
  Table {                                                                                                        \
    LEVEL,                                                                                                       \
        {ns::CopyRow, ns::CopySourceAlphaRow, ns::OverRow, ns::AddRow, ns::AddSourceAlphaRow, ns::DodgeRow,      \
         ns::DodgeSourceAlphaRow, ns::MultiplyRow, ns::MultiplySourceAlphaRow, ns::OverlayRow,                   \
         ns::OverlaySourceAlphaRow, scalar::BlendRow<kHsv>, scalar::BlendRow<kHsvSourceAlpha>},                  \
        {ns::CopySolidRow, kScalarSolid<kCopySourceAlpha>, kScalarSolid<kOver>, ns::AddSolidRow,                 \
         kScalarSolid<kAddSourceAlpha>, ns::DodgeSolidRow, kScalarSolid<kDodgeSourceAlpha>, ns::MultiplySolidRow, \
         kScalarSolid<kMultiplySourceAlpha>, ns::OverlaySolidRow, kScalarSolid<kOverlaySourceAlpha>,            \
         kScalarSolid<kHsv>, kScalarSolid<kHsvSourceAlpha>},                                                     \
        ns::HalfMixRow, ns::FillRow, ns::QuarterMixRow, ns::HalfMixSolidRow, ns::ThreeQuarterMixRow,            \
        ns::ChannelCopyRow, ns::GlyphCopy, ns::CoverageCopy, &SCALE                                             \
  }

const Table& Sse2Table() {
  static const Table table = PIX_LEVEL_TABLE(sse2, Level::kSse2, kSse2Scale);
  return table;
}

const Table& Avx2Table() {
  static const Table table = PIX_LEVEL_TABLE(avx2, Level::kAvx2, kAvx2Scale);
  return table;
}

#undef PIX_LEVEL_TABLE

}  // namespace kernels
}  // namespace pix
