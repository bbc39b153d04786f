#pragma once
// The class registry: form descriptions create components by class name.
#include <string_view>

#include "components/object.h"

namespace components {

// Registering a class twice is harmless; two different classes with one name
// raise EFilerError "Class %s already exists".
void RegisterClass(const ClassInfo& cls);
void RegisterClasses(std::initializer_list<const ClassInfo*> classes);
void UnRegisterClass(const ClassInfo& cls);
// Case-insensitive; nullptr when unknown.
const ClassInfo* GetClass(std::u16string_view name);
// Raises EClassNotFound "Class %s not found".
const ClassInfo& FindClass(std::u16string_view name);

} // namespace components
