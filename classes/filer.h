#pragma once
// TFiler: what reading and writing a stored component tree have in common, and the
// interface through which a class declares stored values that are not published
// properties (TPersistent::DeclareExtraProperties calls DefineValue / DefineBlob).
#include <functional>
#include <string_view>

class TStream;
class TReader;
class TWriter;
class TComponent;
class TPersistent;

// Reads or writes one declared value with the filer's primitive operations.
using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;
// Reads or writes one declared binary block; the stream holds exactly the block.
using TStreamProc = std::function<void(TStream&)>;

class TFiler {
 public:
  TFiler(TStream& stream, int bufferSize) : stream_(stream), bufferSize_(bufferSize) {}
  virtual ~TFiler() = default;
  TFiler(const TFiler&) = delete;
  TFiler& operator=(const TFiler&) = delete;

  // Declares a value stored under `name`. A reader calls `readProc` when `name` is the
  // property it is looking at; a writer calls `writeProc` when `hasData` is true.
  virtual void DefineValue(std::string_view name, const TReaderProc& readProc,
                           const TWriterProc& writeProc, bool hasData) = 0;
  // Declares a binary block stored under `name` (an svBinary value).
  virtual void DefineBlob(std::string_view name, const TStreamProc& readProc,
                          const TStreamProc& writeProc, bool hasData) = 0;

  TStream& Stream() const { return stream_; }
  TComponent* Root() const { return root_; }
  virtual void SetRoot(TComponent* root) { root_ = root; }
  // The object a writer compares against to decide what to store; none when reading.
  TPersistent* Ancestor() const { return ancestor_; }
  void SetAncestor(TPersistent* ancestor) { ancestor_ = ancestor; }

 protected:
  TStream& stream_;
  int bufferSize_;
  TComponent* root_ = nullptr;
  TComponent* lookupRoot_ = nullptr;
  TPersistent* ancestor_ = nullptr;
};
