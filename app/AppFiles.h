#pragma once
// Where the tool keeps its files. The settings file and the work folder live
// in the application home (the executable's folder when writable, else
// ~/.config/sarvane; SARVANE_HOME overrides both); the view-limit script
// templates are read from the executable's folder. All folders end with "/".
#include <string>

namespace sarvane::app {

// The executable's file name with ".ini", in the application home.
std::string SettingsFileName();

// The work folder "temp/" in the application home. Each job keeps its work
// files in a private folder inside it (app/JobFolder.h).
std::string WorkFolder();

// The folder that holds date/, url/ and date_url/ with the script templates.
std::string TemplatesFolder();

// The output folder of a first run, and the fall-back for one that vanished
// or cannot be written: the executable's folder when the user may write
// there (a portable copy), else ~/Sarvane/, created when needed.
std::string DefaultOutputFolder();

// preferred when it is a writable folder, else ~/Sarvane/ (created).
std::string WritableOrUserFolder(const std::string& preferred);

// Whether dir is a folder this process may create files in.
bool IsWritableFolder(const std::string& dir);

// Creates the work folder with its missing parents. The folder holds
// decrypted documents, so it is made (or narrowed to) mode 0700. False when
// it does not exist afterwards.
bool CreateWorkFolder();

// Narrows an existing file to mode 0600 (the work file holds a decrypted
// document). False when the file is missing or its mode cannot be changed.
bool RestrictToOwner(const std::string& fileName);

}  // namespace sarvane::app
