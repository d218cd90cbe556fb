#pragma once

#include "CSharedRef.h"

class CRecordContext;

// An owner of a CRecordContext in one pointer, where a record holds its context.
using CRecordContextRef = CSharedRef<const CRecordContext>;
