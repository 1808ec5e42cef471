#pragma once
// Counts how deeply the reader has descended into nested records, lists and
// collections, and refuses input nested deeper than TReader::kMaxNesting.
#include "classes/reader.h"

struct TReaderNesting {
  explicit TReaderNesting(TReader& reader);
  ~TReaderNesting() { --reader_.nesting_; }
  TReaderNesting(const TReaderNesting&) = delete;
  TReaderNesting& operator=(const TReaderNesting&) = delete;

 private:
  TReader& reader_;
};
