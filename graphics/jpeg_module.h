#pragma once
// Start-up of the JPEG module: chooses the OutputFormat default from the screen's
// depth and registers TJPEGImage for "jpeg" and "jpg". Shut-down removes it again.

void JpegModuleStartup();
void JpegModuleShutdown();
