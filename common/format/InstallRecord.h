#pragma once
// The record the install aide reports for each install conduit: 840 bytes, the library path at
// 324, the creator ID at 580 and the name at 584, texts that need not end inside the record.

#include <cstddef>

#include "CondInfo.h"

const size_t kInstallRecordSize = 840;

// Fills the creator ID (both forms), the library path and the name of `info` from the record;
// each text is cut at its own field of the record and at the field of `info`, and terminated.
void ReadInstallRecord(const unsigned char (&rec)[kInstallRecordSize], CondInfo& info);
