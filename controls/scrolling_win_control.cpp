#include "controls/scrolling_win_control.h"

#include "classes/metadata_builder.h"
#include "classes/standard_types.h"

const ClassMetadata& TScrollingWinControl::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TScrollingWinControl>("TScrollingWinControl", &TWinControl::StaticMeta(),
                                         "forms")
          .Property("AutoScroll", kBooleanType, ByField(&TScrollingWinControl::autoScroll_),
                    ByMethod(&TScrollingWinControl::SetAutoScroll))
          .NotStored()
          .Build();
  return meta;
}

void TScrollingWinControl::FillCreationParams(CreationParams& params) {
  TWinControl::FillCreationParams(params);
  params.windowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}
