#include "server/class_table.h"

#include "automation/tarvik.h"
#include "registration/class_registration.h"
#include "server/class_factory.h"
#include "server/lumex_object.h"
#include "tagfile/tag_file_object.h"

namespace {

// No description: the registration walk selects the class.
const wchar_t* WINAPI GetNoDescription() { return nullptr; }
const CategoryTableEntry* WINAPI GetNoCategories() { return nullptr; }
void WINAPI StartStopNothing(bool) {}

}  // namespace

ClassTableEntry ClassTable[] = {
    {&CLSID_lumex, ApplyClassRegistryScript, MakeClassObject, MakeInstance, nullptr, 0, GetNoDescription,
     GetNoCategories, StartStopNothing},
    {&CLSID_TagFile, ApplyTagFileRegistryScript, MakeClassObject, TagFileObject::MakeInstance, nullptr, 0,
     GetNoDescription, GetNoCategories, StartStopNothing},
    {nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr},
};
