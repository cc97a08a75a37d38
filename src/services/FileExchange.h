#pragma once
// The file exchange service without its window: the controller's directory listing, copying
// files to a PC folder, comparing them with PC files and deleting them. Every operation opens the
// link and closes it again however it ends, and reports its steps to the observer.
#include <filesystem>
#include <string>
#include <vector>

#include "link/Velmor_PC.h"
#include "link/FileRead.h"
#include "services/FileInfo.h"
#include "services/ServiceObserver.h"

namespace vlm {

class TFileExchange {
 public:
  TFileExchange(TControllerLink& link, IServiceObserver& observer);

  std::string ControllerPath;      // ends in "\"
  std::filesystem::path PcDir;     // where copies go and compares look
  int SortColumn = kSortByName;
  int ProgressWidth = 200;         // pixels of the progress bar: copy progress moves every 2 of them
  TStopFlag Stop;

  const std::vector<TFileInfo>& Items() const { return items_; }
  bool Copying() const { return copying_; }

  void ChangeControllerDir(const std::string& path);
  void ReadControllerDir();
  void Sort(int column);
  // Enters a directory item or leaves by ".."; returns the caption to select in the new list.
  std::string Enter(const TFileInfo& directory);
  // Selected items in list order. False when the operation ended early.
  bool CopyToPC(const std::vector<TFileInfo>& selected);
  bool Compare(const std::vector<TFileInfo>& selected);
  // Asks first; re-reads the listing unless the file was not found.
  bool Delete(const TFileInfo& focused);

 private:
  bool CopyOne(const std::string& name, const std::string& pcName, const TDirEntry& entry, int index, int count);

  TControllerLink& link_;
  IServiceObserver& observer_;
  std::vector<TFileInfo> items_;
  // Whether the controller has the long block read; learned by the first file of an operation.
  bool longReads_ = true;
  bool copying_ = false;
};

}  // namespace vlm
