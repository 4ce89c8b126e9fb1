#pragma once
// The private folder of one lock job inside the work folder temp/.
//
// Every job that runs at the same time, whether in this process, in another
// sarvane-cli or in the window, must have work files that nobody else
// touches: two jobs sharing temp/input.pdf wrote each other's documents into
// the output folder and emptied each other's files. So each job gets
// temp/job-<pid>-<n>/ (mode 0700) holding its work file input.pdf and the
// files written to replace it. A successful job removes its folder; a failed one
// leaves it, the work file inside, for the user to look at; a later start
// removes it once the process named in the folder's name has ended.
#include <string>

namespace sarvane::app {

class TJobFolder {
 public:
  // Makes a new folder under a name no other job uses. IsOpen tells whether
  // that worked.
  TJobFolder();
  // Removes the folder and what it holds unless Keep was called.
  ~TJobFolder();
  TJobFolder(const TJobFolder&) = delete;
  TJobFolder& operator=(const TJobFolder&) = delete;

  bool IsOpen() const { return !path_.empty(); }
  // With a trailing "/"; empty when the folder could not be made.
  const std::string& Path() const { return path_; }
  std::string WorkFileName() const;  // input.pdf in the folder

  // Leaves the folder for after this object (a failed job's files).
  void Keep() { keep_ = true; }
  bool Kept() const { return keep_; }
  // Removes the folder and what it holds now, kept or not.
  void Remove();

 private:
  std::string path_;
  bool keep_ = false;
};

// Removes the job folders in the work folder whose owner process has ended.
// Folders of running processes, this one included, are left alone. Returns
// how many were removed.
int CleanStaleJobFolders();

}  // namespace sarvane::app
