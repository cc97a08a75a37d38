#pragma once
// The configuration tree. A node owns its configuration object and its children; deleting a node
// frees the children first (their destructors still talk to the controller of an ancestor) and
// then its own object. A Qt model adapter listens through ITreeObserver; the core never sees Qt.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vlm {

class TObj;
class TTree;
class TTreeNode;

// Notifications in the order a QAbstractItemModel needs them (begin before, end after a change).
class ITreeObserver {
 public:
  virtual ~ITreeObserver() = default;
  virtual void NodeChanged(TTreeNode&) {}  // text or image index
  virtual void BeginInsert(TTreeNode& /*parent*/, size_t /*row*/) {}
  virtual void EndInsert(TTreeNode& /*parent*/, size_t /*row*/) {}
  virtual void BeginRemove(TTreeNode& /*parent*/, size_t /*row*/) {}
  virtual void EndRemove(TTreeNode& /*parent*/, size_t /*row*/) {}
  // Children of parent change order (drag and drop, sorting); node pointers stay valid.
  virtual void BeginReorder(TTreeNode& /*parent*/) {}
  virtual void EndReorder(TTreeNode& /*parent*/) {}
  virtual void BeginReset() {}
  virtual void EndReset() {}
};

class TTreeNode {
 public:
  TTreeNode(const TTreeNode&) = delete;
  TTreeNode& operator=(const TTreeNode&) = delete;
  ~TTreeNode();

  TTreeNode* Parent() const { return parent_; }
  TTree* Tree() const { return tree_; }
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  int ImageIndex() const { return imageIndex_; }
  int SelectedIndex() const { return selectedIndex_; }
  // Sets the image and the selected-image index together, as every object does.
  void SetImage(int index);

  TObj* Object() const { return object_.get(); }
  void SetObject(std::unique_ptr<TObj> object);

  size_t Count() const { return children_.size(); }
  TTreeNode* Child(size_t index) const { return children_.at(index).get(); }
  const std::vector<std::unique_ptr<TTreeNode>>& Children() const { return children_; }
  // Position among the siblings; 0 for the root.
  size_t Index() const;
  int Level() const;

  TTreeNode* AddChild(std::string text, int image = -1);
  TTreeNode* InsertChild(size_t row, std::string text, int image = -1);
  // Deletes the child with its subtree.
  void DeleteChild(size_t row);
  void DeleteChildren();
  // Moves this node in front of a sibling (drag and drop); nothing when target is not a sibling.
  bool MoveBefore(TTreeNode& sibling);
  // Stable sort of the children [first, Count()) by the given order (card and port sorting).
  void SortChildren(size_t first, const std::function<bool(const TTreeNode&, const TTreeNode&)>& less);

  bool Expanded = false;

 private:
  friend class TTree;
  TTreeNode(TTree* tree, TTreeNode* parent, std::string text, int image);
  void Notify() const;

  TTree* tree_;
  TTreeNode* parent_;
  std::string text_;
  int imageIndex_ = -1;
  int selectedIndex_ = -1;
  std::vector<std::unique_ptr<TTreeNode>> children_;
  std::unique_ptr<TObj> object_;
};

class TTree {
 public:
  TTree() = default;
  TTree(const TTree&) = delete;
  TTree& operator=(const TTree&) = delete;
  ~TTree();

  TTreeNode* Root() const { return root_.get(); }
  // Deletes every node (children before parents) and makes a new root.
  TTreeNode* Reset(std::string rootText, int image);
  void Clear();

  void SetObserver(ITreeObserver* observer) { observer_ = observer; }
  ITreeObserver* Observer() const { return observer_; }

  // Every node in tree order (pre-order), root first.
  void ForEach(const std::function<void(TTreeNode&)>& visit) const;

 private:
  std::unique_ptr<TTreeNode> root_;
  ITreeObserver* observer_ = nullptr;
};

// Frames ask the main window to select a node; the window installs the handler and queues the
// selection so it runs after the current handler. Without a handler the request is dropped.
void SetGoToNodeHandler(std::function<void(TTreeNode*)> handler);
void RequestGoToNode(TTreeNode* node);

}  // namespace vlm
