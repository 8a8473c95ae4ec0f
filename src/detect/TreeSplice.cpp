#include "detect/TreeSplice.h"

#include <map>

#include "detect/TreeComparison.h"
#include "platform/DirReader.h"
#include "platform/PathText.h"

namespace talvenor {
namespace {

bool IsUnder(const std::string& path, const std::string& folder) {
  return path.size() >= folder.size() && path.compare(0, folder.size(), folder) == 0;
}

// The deepest folder of the tree on the way to path.
FolderNode* NearestHeld(FolderNode& root, const std::string& path) {
  FolderNode* node = &root;
  std::string_view rest = std::string_view(path).substr(root.path.str().size());
  for (auto slash = rest.find(platform::kSeparator); slash != std::string_view::npos;
       slash = rest.find(platform::kSeparator)) {
    FolderNode* child = node->FindChild(rest.substr(0, slash));
    if (child == nullptr) break;
    node = child;
    rest.remove_prefix(slash + 1);
  }
  return node;
}

bool AnyEndsScan(const FolderNode& node) {
  if (EndsScan(node.code) && node.code != FolderScanner::kUnlisted) return true;
  for (const FolderNode::Child& child : node.children) {
    if (child.node && AnyEndsScan(*child.node)) return true;
  }
  return false;
}

}  // namespace

bool TreeSplice::Covered(const std::string& path) const {
  for (std::size_t slash = path.find(platform::kSeparator); slash != std::string::npos && slash + 1 < path.size();
       slash = path.find(platform::kSeparator, slash + 1)) {
    if (m_deepDone.count(path.substr(0, slash + 1)) != 0) return true;
  }
  return false;
}

bool TreeSplice::Prepare(const std::set<std::string>& listed, const std::set<std::string>& subtrees) {
  const std::string root = m_held->path.str();
  // Which held folders to list, and how deep: every touched path maps onto one.
  std::map<std::string, bool> targets;
  for (const auto* paths : {&listed, &subtrees}) {
    const bool deep = paths == &subtrees;
    for (const std::string& path : *paths) {
      if (!IsUnder(path, root)) continue;
      const FolderNode* held = m_held->Find(path);
      if (held == nullptr) {
        // A folder the tree does not hold: new below a folder this pass lists (whose listing
        // then decides), or below one whose listing failed before; that one is listed whole.
        held = NearestHeld(*m_held, path);
        if (listed.count(held->path.str()) != 0 || subtrees.count(held->path.str()) != 0) continue;
        targets[held->path.str()] = true;
        continue;
      }
      targets[path] = targets[path] || deep;
    }
  }
  if (targets.count(root) != 0 && targets[root]) return false;
  for (const auto& [path, deep] : targets) {
    if (Covered(path)) continue;
    if (deep) m_deepDone.insert(path);
    AddPlan(m_held->Find(path), deep, targets);
    if (AnyEndsScan(*m_plans.back().fresh)) return false;
  }
  return true;
}

void TreeSplice::AddPlan(FolderNode* old, bool deep, const std::map<std::string, bool>& targets) {
  Plan& plan = m_plans.emplace_back();
  plan.old = old;
  plan.deep = deep;
  plan.fresh = std::make_unique<FolderNode>();
  FolderNode& fresh = *plan.fresh;
  fresh.path = old->path;
  fresh.level = old->level;
  fresh.parent = old->parent;
  m_scanner.List(fresh, deep);
  if (deep) {
    plan.changed = !SameRecords(*old, fresh);
    Collect(fresh, old);
    return;
  }
  const OldChildren oldChildren(*old);
  m_listed.push_back({&fresh, old});
  plan.changed = fresh.files != old->files || fresh.children.size() != old->children.size();
  for (std::size_t i = 0; i < fresh.children.size(); ++i) {
    FolderNode& child = *fresh.children[i].node;
    if (child.code != FolderScanner::kUnlisted) continue;  // out of reach
    const std::size_t oldIndex = oldChildren.IndexOf(child.Name());
    const FolderNode* before = oldIndex == OldChildren::kNone ? nullptr : old->children[oldIndex].node.get();
    // A subfolder listed before is kept as it is (a touched one gets its own listing); one that
    // is new, or whose listing failed before, is listed now with all it holds.
    if (before != nullptr && (before->code == platform::kSearchOk || targets.count(child.path.str()) != 0)) {
      plan.kept.emplace_back(i, oldIndex);
      plan.changed = plan.changed || old->children[oldIndex].filesBefore != fresh.children[i].filesBefore;
      continue;
    }
    m_scanner.List(child, true);
    plan.changed = true;
    Collect(child, before);
  }
  plan.changed = plan.changed || plan.kept.size() != old->children.size();
}

void TreeSplice::Collect(FolderNode& fresh, const FolderNode* old) {
  m_listed.push_back({&fresh, old});
  const OldChildren oldChildren = old != nullptr ? OldChildren(*old) : OldChildren();
  for (FolderNode::Child& child : fresh.children) {
    const std::size_t index = old == nullptr ? OldChildren::kNone : oldChildren.IndexOf(child.node->Name());
    Collect(*child.node, index == OldChildren::kNone ? nullptr : old->children[index].node.get());
  }
}

void TreeSplice::Report() {
  for (const Listed& listed : m_listed) m_scanner.Report(*listed.fresh);
}

void TreeSplice::Apply() {
  // Deepest first: a kept subfolder may by then be the new listing of its own plan.
  for (auto plan = m_plans.rbegin(); plan != m_plans.rend(); ++plan) {
    FolderNode& fresh = *plan->fresh;
    for (const auto& [freshIndex, oldIndex] : plan->kept) {
      fresh.children[freshIndex].node = std::move(plan->old->children[oldIndex].node);
      fresh.children[freshIndex].node->parent = &fresh;
    }
    FolderNode* parent = plan->old->parent;
    if (parent == nullptr) {
      plan->replaced = std::move(m_held);
      m_held = std::move(plan->fresh);
      continue;
    }
    for (FolderNode::Child& child : parent->children) {
      if (child.node.get() != plan->old) continue;
      plan->replaced = std::move(child.node);
      child.node = std::move(plan->fresh);
      break;
    }
  }
}

bool TreeSplice::MayHaveChanged() const {
  for (const Plan& plan : m_plans) {
    if (plan.changed) return true;
  }
  return false;
}

}  // namespace talvenor
