// src/binding/arrow_capsule.hpp: Arrow C structs handed to Python in PyCapsules, as the PyCapsule interface names them.
#pragma once

#include <memory>

#include "arrow/c_data.hpp"
#include "lib_errors.hpp"

namespace tarvo::py {

inline constexpr char kStreamCapsule[] = "arrow_array_stream";
inline constexpr char kSchemaCapsule[] = "arrow_schema";
inline constexpr char kArrayCapsule[] = "arrow_array";

// A capsule owns the struct's memory; the struct owns its contents until a consumer moves them
// out (nulling release). Whatever is still unconsumed is released with the capsule.
template <typename Struct>
void drop_exported(Struct* exported) noexcept {
  if (exported->release != nullptr) exported->release(exported);
  delete exported;
}

template <typename Struct, const char* Name>
void capsule_destructor(PyObject* capsule) noexcept {
  // Tested first, as a failed PyCapsule_GetPointer would set an error inside a destructor.
  if (!PyCapsule_IsValid(capsule, Name)) return;  // renamed by a consumer that took it over
  drop_exported(static_cast<Struct*>(PyCapsule_GetPointer(capsule, Name)));
}

// A new capsule named Name around a Struct that fill() exports into.
template <typename Struct, const char* Name, typename Fill>
Ref new_capsule(Fill&& fill) {
  std::unique_ptr<Struct, void (*)(Struct*)> exported(new Struct{}, drop_exported<Struct>);
  fill(exported.get());
  Ref capsule = Ref::checked(PyCapsule_New(exported.get(), Name, capsule_destructor<Struct, Name>));
  exported.release();
  return capsule;
}

}  // namespace tarvo::py
