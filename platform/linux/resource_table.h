#pragma once
// Resources of the Linux build. The resource compiler in tools/ turns each .rc
// file into a C++ table that registers itself here at static-initialisation
// time; FindResourceA and friends search every registered table.
namespace linux_rc {
struct Entry {
  const char*
      typeName;  // nullptr when the type is numeric (typeId then holds it, e.g. 10 for RT_RCDATA)
  unsigned typeId;
  const char*
      name;  // nullptr when the name is numeric; text names are stored upper-cased, as Windows does
  unsigned id;
  const unsigned char* data;
  unsigned size;
};
// Called by each generated table; several tables may be registered (one per linked .rc).
void RegisterResources(const Entry* entries, unsigned count);
}  // namespace linux_rc
