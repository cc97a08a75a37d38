#include "model/TreeNode.h"

#include <algorithm>

#include "model/VLM_Obj.h"

namespace vlm {

TTreeNode::TTreeNode(TTree* tree, TTreeNode* parent, std::string text, int image)
    : tree_(tree), parent_(parent), text_(std::move(text)), imageIndex_(image), selectedIndex_(image) {}

TTreeNode::~TTreeNode() {
  // The subtree goes first, last child first, while this node's object (and every ancestor's)
  // still exists: destructors of ports and cards unregister themselves from their controller.
  while (!children_.empty()) children_.pop_back();
  object_.reset();
}

void TTreeNode::Notify() const {
  if (tree_ && tree_->Observer()) tree_->Observer()->NodeChanged(const_cast<TTreeNode&>(*this));
}

void TTreeNode::SetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  Notify();
}

void TTreeNode::SetImage(int index) {
  if (imageIndex_ == index && selectedIndex_ == index) return;
  imageIndex_ = selectedIndex_ = index;
  Notify();
}

void TTreeNode::SetObject(std::unique_ptr<TObj> object) { object_ = std::move(object); }

size_t TTreeNode::Index() const {
  if (!parent_) return 0;
  const auto& siblings = parent_->children_;
  for (size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == this) return i;
  return 0;
}

int TTreeNode::Level() const {
  int level = 0;
  for (const TTreeNode* n = parent_; n; n = n->parent_) ++level;
  return level;
}

TTreeNode* TTreeNode::AddChild(std::string text, int image) {
  return InsertChild(children_.size(), std::move(text), image);
}

TTreeNode* TTreeNode::InsertChild(size_t row, std::string text, int image) {
  row = std::min(row, children_.size());
  ITreeObserver* observer = tree_ ? tree_->Observer() : nullptr;
  if (observer) observer->BeginInsert(*this, row);
  std::unique_ptr<TTreeNode> node(new TTreeNode(tree_, this, std::move(text), image));
  TTreeNode* raw = node.get();
  children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(row), std::move(node));
  if (observer) observer->EndInsert(*this, row);
  return raw;
}

void TTreeNode::DeleteChild(size_t row) {
  if (row >= children_.size()) return;
  ITreeObserver* observer = tree_ ? tree_->Observer() : nullptr;
  if (observer) observer->BeginRemove(*this, row);
  // Take the node out only after its subtree and object are gone, so their destructors still
  // find it in place (a port's controller is found through its ancestors).
  children_[row].reset();
  children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(row));
  if (observer) observer->EndRemove(*this, row);
}

void TTreeNode::DeleteChildren() {
  while (!children_.empty()) DeleteChild(children_.size() - 1);
}

bool TTreeNode::MoveBefore(TTreeNode& sibling) {
  if (!parent_ || sibling.parent_ != parent_ || &sibling == this) return false;
  auto& list = parent_->children_;
  ITreeObserver* observer = tree_ ? tree_->Observer() : nullptr;
  if (observer) observer->BeginReorder(*parent_);
  size_t from = Index();
  std::unique_ptr<TTreeNode> self = std::move(list[from]);
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(from));
  size_t to = sibling.Index();
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(to), std::move(self));
  if (observer) observer->EndReorder(*parent_);
  return true;
}

void TTreeNode::SortChildren(size_t first,
                             const std::function<bool(const TTreeNode&, const TTreeNode&)>& less) {
  if (first >= children_.size()) return;
  ITreeObserver* observer = tree_ ? tree_->Observer() : nullptr;
  if (observer) observer->BeginReorder(*this);
  std::stable_sort(children_.begin() + static_cast<std::ptrdiff_t>(first), children_.end(),
                   [&](const auto& a, const auto& b) { return less(*a, *b); });
  if (observer) observer->EndReorder(*this);
}

TTree::~TTree() { root_.reset(); }

TTreeNode* TTree::Reset(std::string rootText, int image) {
  if (observer_) observer_->BeginReset();
  root_.reset();
  root_.reset(new TTreeNode(this, nullptr, std::move(rootText), image));
  if (observer_) observer_->EndReset();
  return root_.get();
}

void TTree::Clear() {
  if (observer_) observer_->BeginReset();
  root_.reset();
  if (observer_) observer_->EndReset();
}

namespace {
void Visit(TTreeNode& node, const std::function<void(TTreeNode&)>& visit) {
  visit(node);
  for (const auto& child : node.Children()) Visit(*child, visit);
}

std::function<void(TTreeNode*)>& GoToNodeHandler() {
  static std::function<void(TTreeNode*)> handler;
  return handler;
}
}  // namespace

void TTree::ForEach(const std::function<void(TTreeNode&)>& visit) const {
  if (root_) Visit(*root_, visit);
}

void SetGoToNodeHandler(std::function<void(TTreeNode*)> handler) { GoToNodeHandler() = std::move(handler); }

void RequestGoToNode(TTreeNode* node) {
  if (node && GoToNodeHandler()) GoToNodeHandler()(node);
}

}  // namespace vlm
