#include "graphics/graphics_object.h"

#include "classes/metadata_builder.h"
#include "classes/persistent.h"

const ClassMetadata& TGraphicsObject::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TGraphicsObject>("TGraphicsObject", &TPersistent::StaticMeta(), "graphics")
          .Build();
  return meta;
}

void TGraphicsObject::NotifyChange() { OnChange(this); }
