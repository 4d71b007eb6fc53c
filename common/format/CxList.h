#pragma once
// The program's one container: a doubly linked list of borrowed item pointers in insertion
// order, with a single cursor that makes forward iteration and positional access cheap.
// The list never frees its items; their owner deletes them before RemoveAll or destruction.

#include <cstdint>

struct CxListNode {
  void* pItem;
  uint32_t nIndex;  // position, counted from 0
  CxListNode* pPrev;
  CxListNode* pNext;
};

class CxList {
 public:
  CxList() = default;
  virtual ~CxList();

  CxList(const CxList&) = delete;
  CxList& operator=(const CxList&) = delete;

  // Appends a non-null item and leaves the cursor on it; a null item is refused.
  bool Add(void* pItem);
  // One cursor per list: GetFirst, GetNext, GetAt and Add all move it, so an iteration must
  // not be interleaved with a look-up or an add on the same list.
  void* GetFirst();
  void* GetNext();
  void* GetAt(uint32_t nPos);
  // Deletes the nodes only; the items stay with their owner.
  void RemoveAll();
  uint32_t GetCount() const { return m_nCount; }

 private:
  CxListNode* m_pHead = nullptr;
  CxListNode* m_pTail = nullptr;
  CxListNode* m_pCurr = nullptr;
  uint32_t m_nCount = 0;
  uint32_t m_nFindIndex = 0;
};
