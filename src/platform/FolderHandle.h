#pragma once
// An open folder, and the operations on the entries inside it. Everything below the folder is
// reached relative to its descriptor and never through a link, so someone else who can write
// into it cannot redirect a removal, a listing or a copy elsewhere by swapping a name for a
// link between two calls: a descriptor stays on the folder it was opened on.
#include <string>
#include <utility>
#include <vector>

namespace talvenor::platform {

struct FolderEntry {
  std::string name;
  bool folder = false;  // a real folder; a link to one is not
};

class FolderHandle {
 public:
  FolderHandle() = default;
  ~FolderHandle();
  FolderHandle(FolderHandle&& other) noexcept;
  FolderHandle& operator=(FolderHandle&& other) noexcept;
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;

  // The folder named by path. Links in the path itself are followed: the user chose it. On
  // failure the handle is closed and errno tells why.
  static FolderHandle Open(const std::string& path);

  // A folder directly inside this one; refused (ELOOP or ENOTDIR) when the name is a link or
  // anything else but a folder.
  FolderHandle Child(const std::string& name) const;
  // The same, after giving the owner read, write and search on that folder (never on anything
  // else), so that its entries can be deleted.
  FolderHandle ChildToEmpty(const std::string& name) const;
  // Gives the owner read, write and search on a folder inside; false for anything else.
  bool OpenUpChild(const std::string& name) const;

  // Makes a folder inside (mode reduced by the umask) and opens it. Fails with EEXIST when the
  // name is taken, and with EPERM when what stands under the name once it was made is not a
  // folder of ours granting at most mode (someone swapped it).
  FolderHandle NewChild(const std::string& name, unsigned mode) const;
  // An entry of exactly this name exists (a link counts as itself).
  bool Has(const std::string& name) const;
  // An entry of exactly this name that this process owns (a link counts as itself).
  bool OwnsEntry(const std::string& name) const;
  // Removes an entry that is not a folder: a link itself, never what it points to.
  bool RemoveEntry(const std::string& name) const;
  bool RemoveChild(const std::string& name) const;  // an empty folder
  bool RenameNoReplace(const std::string& from, const std::string& to) const;

  // Every entry but "." and "..". False with errno when the listing failed part-way.
  bool List(std::vector<FolderEntry>& entries) const;

  // Which folder this is (device and inode): the same folder when reached again by name.
  std::pair<unsigned long long, unsigned long long> Identity() const;
  // True when this process owns the folder: a folder someone else swapped in is not ours.
  bool OwnedByUs() const;
  // The folder was removed while open (it has no name left).
  bool Removed() const;
  // Flushes the file system that holds the folder.
  bool SyncFileSystem() const;

  bool IsOpen() const { return m_fd >= 0; }
  int Descriptor() const { return m_fd; }
  void Close();

 private:
  explicit FolderHandle(int fd) : m_fd(fd) {}
  int m_fd = -1;
};

}  // namespace talvenor::platform
