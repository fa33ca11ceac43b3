// The numbers of the library's resources, one place for the resource script, the code that
// finds them and the tests that read them.  Plain defines: the resource compiler reads this.
#pragma once

#define TARVIK_TYPELIB_RESOURCE 1            // "TYPELIB": the type library TARVIKLib
#define TARVIK_MODULE_NAME_STRING 100        // string table: the module's name
#define TARVIK_TOOLBOX_BITMAP_RESOURCE 101   // bitmap: the toolbox picture (the lumex script names it too)
#define TARVIK_LUMEX_REGISTRY_RESOURCE 102   // "REGISTRY": the lumex class's registry script
#define TARVIK_TAGFILE_REGISTRY_RESOURCE 103 // "REGISTRY": the TagFile class's registry script
