#include "CxList.h"

#include <new>

#include "KxAssert.h"

CxList::~CxList() { RemoveAll(); }

bool CxList::Add(void* pItem) {
  if (!pItem) return false;
  CxListNode* pContainer = new (std::nothrow) CxListNode;
  KX_ASSERT_TEXT(pContainer, "pContainer");
  if (!pContainer) return false;  // only reached when a test handler lets the assertion return
  pContainer->pItem = pItem;
  pContainer->nIndex = m_nCount;
  pContainer->pNext = nullptr;
  pContainer->pPrev = m_pTail;
  if (m_nCount == 0) {
    m_pHead = m_pTail = m_pCurr = pContainer;
  } else {
    m_pTail->pNext = pContainer;
    m_pCurr = pContainer;
    m_nFindIndex = pContainer->nIndex;
    m_pTail = pContainer;
  }
  ++m_nCount;
  return true;
}

void* CxList::GetFirst() {
  m_nFindIndex = 0;
  m_pCurr = m_pHead;
  return m_pHead ? m_pHead->pItem : nullptr;
}

void* CxList::GetNext() {
  // Compared without adding to m_nFindIndex so a full 32-bit index cannot wrap.
  if (m_nCount == 0 || m_nFindIndex >= m_nCount - 1) return nullptr;
  return GetAt(m_nFindIndex + 1);
}

void* CxList::GetAt(uint32_t nPos) {
  if (nPos >= m_nCount) return nullptr;
  KX_ASSERT_TEXT(m_pCurr && m_pCurr->nIndex == m_nFindIndex, "m_pCurr->nIndex==m_nFindIndex");
  if (!m_pCurr) return nullptr;
  // The direction is fixed before the first step, so the walk ends at the position or an end.
  const bool bForward = nPos > m_nFindIndex;
  for (CxListNode* p = m_pCurr; p; p = bForward ? p->pNext : p->pPrev) {
    if (p->nIndex == nPos) {
      m_nFindIndex = nPos;
      m_pCurr = p;
      return p->pItem;
    }
  }
  return nullptr;
}

void CxList::RemoveAll() {
  CxListNode* p = m_pHead;
  while (p) {
    CxListNode* pNext = p->pNext;
    delete p;
    p = pNext;
  }
  m_pHead = m_pTail = m_pCurr = nullptr;
  m_nCount = 0;
  m_nFindIndex = 0;
}
