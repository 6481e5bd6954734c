#include "core/field.h"

namespace tolvarn {
namespace {

constexpr std::array<std::string_view, kFieldCount> kNames = {
#define TOLVARN_FIELD_NAME(name, kind) #name,
    TOLVARN_FIELDS(TOLVARN_FIELD_NAME)
#undef TOLVARN_FIELD_NAME
};

constexpr std::array<FieldKind, kFieldCount> kKinds = {
#define TOLVARN_FIELD_KIND(name, kind) FieldKind::kind,
    TOLVARN_FIELDS(TOLVARN_FIELD_KIND)
#undef TOLVARN_FIELD_KIND
};

constexpr std::array<Field, kFieldCount> kAll = {
#define TOLVARN_FIELD_VALUE(name, kind) Field::name,
    TOLVARN_FIELDS(TOLVARN_FIELD_VALUE)
#undef TOLVARN_FIELD_VALUE
};

}  // namespace

std::string_view FieldName(Field field) {
  return kNames[static_cast<size_t>(field)];
}

FieldKind KindOf(Field field) {
  return kKinds[static_cast<size_t>(field)];
}

std::optional<Field> FieldFromName(std::string_view name) {
  for (size_t i = 0; i < kFieldCount; ++i)
    if (kNames[i] == name) return kAll[i];
  return std::nullopt;
}

const std::array<Field, kFieldCount>& AllFields() {
  return kAll;
}

}  // namespace tolvarn
