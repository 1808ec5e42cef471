#pragma once
// Numbers of the executable's message table (STRINGTABLE in resources/launcher.rc).
// The texts live only in the resource; code names them by these numbers.
#include <string>

// Loads message `id` from the executable's message table, converted to the ANSI code
// page; an empty text when there is no such string.
std::string LoadMessage(int id);

namespace msg {
constexpr int kJpegImageFile = 65338;           // "JPEG Image File"
constexpr int kStreamReadError = 65340;         // "Stream read error"
constexpr int kStreamWriteError = 65341;        // "Stream write error"
constexpr int kResourceStreamReadOnly = 65342;  // "Can't write to a read-only resource stream"
constexpr int kInvalidStreamFormat = 65343;     // "Invalid stream format"
constexpr int kPropertyNotFound = 65344;        // "Property %s does not exist"
constexpr int kInvalidPropertyPath = 65345;     // "Invalid property path"
constexpr int kInvalidPropertyValue = 65346;    // "Invalid property value"
constexpr int kPropertyReadOnly = 65347;        // "Property is read-only"
constexpr int kErrorReading = 65348;            // "Error reading %s%s%s: %s"
constexpr int kAncestorNotFound = 65349;        // "Ancestor for '%s' not found"
constexpr int kClassNotFound = 65350;           // "Class %s not found"
constexpr int kDuplicateClass = 65351;          // "A class named %s already exists"
constexpr int kNotInClassGroup = 65352;         // "%s not in a class registration group"
constexpr int kDuplicateName = 65353;           // "A component named %s already exists"
constexpr int kInvalidName = 65354;             // "''%s'' is not a valid component name"
constexpr int kInvalidInteger = 65355;          // "'%s' is not a valid integer value"
constexpr int kAssignError = 65356;             // "Cannot assign a %s to a %s"
constexpr int kNoParentWindow = 65357;          // "Control '%s' has no parent window"
constexpr int kControlParentSelf = 65358;       // "A control cannot have itself as its parent"
constexpr int kCanvasNoDrawing = 65359;         // "Canvas does not allow drawing"
constexpr int kOutOfResources = 65360;          // "Out of system resources"
constexpr int kInvalidBitmap = 65361;           // "Bitmap image is not valid"
constexpr int kInvalidPixelFormat = 65362;      // "Invalid pixel format"
constexpr int kScanLineOutOfRange = 65363;      // "Scan line index out of range"
constexpr int kJpegCannotResize = 65364;        // "Cannot change the size of a JPEG image"
constexpr int kJpegError = 65365;               // "JPEG error #%d"
constexpr int kWindowDCError = 65366;           // "Error creating window device context"
constexpr int kJpegNoEncoder = 65367;           // "JPEG encoding is not available"
constexpr int kCannotHideMdiChild = 65377;      // "Cannot hide an MDI Child Form"
constexpr int kCannotChangeVisible = 65378;     // "Cannot change Visible in OnShow or OnHide"
constexpr int kNoMdiForm = 65385;  // "Cannot create form. No MDI forms are currently active"
constexpr int kMetafiles = 65386;  // "Metafiles"
constexpr int kEnhancedMetafiles = 65387;   // "Enhanced Metafiles"
constexpr int kIcons = 65388;               // "Icons"
constexpr int kBitmaps = 65389;             // "Bitmaps"
constexpr int kWindowClassError = 65406;    // "Error creating window class"
constexpr int kCannotFocus = 65407;         // "Cannot focus a disabled or invisible window"
constexpr int kResNotFound = 65412;         // "Resource %s not found"
constexpr int kListIndexError = 65438;      // "List index out of bounds (%d)"
constexpr int kExceptionAtAddress = 65512;  // "Exception %s in module %s at %p.\r\n%s%s\r\n"
constexpr int kApplicationError = 65513;    // "Application Error"
}  // namespace msg
