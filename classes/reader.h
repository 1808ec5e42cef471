#pragma once
// TReader: turns a stored component tree into live components. It reads the root
// record into an existing (or newly created) root, creates and names each child,
// sets stored properties through the published metadata, hands undeclared values
// to DeclareExtraProperties, binds handler names to the root's published methods,
// resolves references by name and finally runs FinishLoading on what it read.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "classes/events.h"
#include "classes/filer.h"
#include "classes/stream_format.h"
#include "classes/variant.h"

struct ClassMetadata;
struct PropertyRecord;
struct TypeDescriptor;
class TClassFinder;
class TCollection;
struct TPropFixup;

class TReader : public TFiler {
 public:
  // Hooks; each is optional and unset by default.
  using TReaderError = std::function<void(TReader&, const std::string& message, bool& handled)>;
  using TSetNameEvent = std::function<void(TReader&, TComponent*, std::string& name)>;
  using TReferenceNameEvent = std::function<void(TReader&, std::string& name)>;
  using TAncestorNotFoundEvent = std::function<void(
      TReader&, const std::string& name, const ClassMetadata* cls, TComponent*& component)>;
  using TCreateComponentEvent =
      std::function<void(TReader&, const ClassMetadata& cls, TComponent*& component)>;
  using TFindComponentClassEvent =
      std::function<void(TReader&, const std::string& className, const ClassMetadata*& cls)>;
  using TFindComponentInstanceEvent =
      std::function<void(TReader&, const std::string& name, TComponent*& instance)>;
  // May supply the code of a handler not found among the root's published methods,
  // clearing `error`.
  using TFindMethodEvent =
      std::function<void(TReader&, const std::string& name, const MethodCode*& code, bool& error)>;
  // Sees every handler lookup with its result and may change both.
  using TFindMethodInstanceEvent =
      std::function<void(TReader&, const std::string& name, TMethodValue& method, bool& error)>;

  static constexpr int kDefaultBufferSize = 4096;
  static constexpr int kMinBufferSize = 16;
  // Deepest nesting of component records, lists and collections accepted; deeper
  // input is refused instead of exhausting the stack.
  static constexpr int kMaxNesting = 128;

  explicit TReader(TStream& stream, int bufferSize = kDefaultBufferSize);
  // Moves the stream back by what was buffered but not used, so that it stands just
  // after the last byte the reader consumed.
  ~TReader() override;

  TComponent* LoadRoot(TComponent* root);
  TComponent* LoadChild(TComponent* component);
  void ReadComponentData(TComponent* instance);
  void ReadPropertyEntry(TPersistent* instance);
  void ReadPropertyValue(TPersistent* instance, const PropertyRecord& prop);

  void DefineValue(std::string_view name, const TReaderProc& readProc, const TWriterProc& writeProc,
                   bool hasData) override;
  void DefineBlob(std::string_view name, const TStreamProc& readProc, const TStreamProc& writeProc,
                  bool hasData) override;

  // --- primitive reads ------------------------------------------------------
  TValueType ReadValue();  // the next tag
  TValueType NextValue();  // the next tag, not consumed
  int32_t ReadInteger();
  int64_t ReadInt64();
  bool ReadBoolean();
  long double ReadFloat();
  float ReadSingle();
  double ReadDouble();
  int64_t ReadCurrency();  // value * 10000
  double ReadDate();
  char ReadChar();
  char16_t ReadWideChar();
  std::string ReadString();  // ANSI
  std::u16string ReadWideString();
  std::string ReadIdentifier();
  // Bits 0..31 of the element numbers named; other numbers are ignored.
  uint32_t ReadSet(const TypeDescriptor& elementType);
  void ReadListBegin();
  void ReadListEnd();
  bool EndOfList();  // the next tag is svNull (not consumed)
  void ReadCollection(TCollection& collection);
  TVariant ReadVariant();
  // Reads exactly `count` bytes.
  void Read(void* buffer, int32_t count);
  // A short string: one length byte and that many bytes.
  std::string ReadShortString();
  // The optional header prefix; returns its flags (0 without one) and the child
  // position when hfChildPos is set. Overridable, like the other steps a derived
  // reader may adapt to its own records.
  virtual uint8_t ReadPrefix(int32_t& childPos);

  void SkipOneValue();
  void SkipProperty();
  // Skips a component record; with `skipHeader` false the header is already read.
  void SkipComponent(bool skipHeader);

  // --- state ----------------------------------------------------------------
  void SetRoot(TComponent* root) override;
  TComponent* Owner() const { return owner_; }
  TComponent* Parent() const { return parent_; }
  void SetParent(TComponent* parent) { parent_ = parent; }
  // Position in the stream of the next byte the reader will use.
  int64_t Position() const;

  TReaderError ErrorHook;
  TSetNameEvent SetNameHook;
  TReferenceNameEvent ReferenceNameHook;
  TAncestorNotFoundEvent AncestorNotFoundHook;
  TCreateComponentEvent CreateComponentHook;
  TFindComponentClassEvent FindComponentClassHook;
  TFindComponentInstanceEvent FindComponentInstanceHook;
  TFindMethodEvent FindMethodHook;
  TFindMethodInstanceEvent FindMethodInstanceHook;

  // Lets ReferenceNameHook change a referenced name before it is resolved.
  virtual void ReferenceName(std::string& name);

 protected:
  // Re-positions the stream at the logical position and empties the buffer.
  virtual void FlushBuffer();
  // Offers a message to ErrorHook; true when the hook reports it handled.
  virtual bool Error(const std::string& message);
  virtual TComponent* FindAncestorComponent(const std::string& name, const ClassMetadata* cls);
  // The handler value for `name` on `root` (see FindMethodInstanceHook).
  virtual TMethodValue FindMethodInstance(TComponent* root, const std::string& name);
  // The code of `root`'s published method `name`; "Invalid property value" when none.
  virtual const MethodCode* FindMethod(TComponent* root, const std::string& name);
  // SetNameHook may change the name; then the component takes it.
  virtual void SetName(TComponent* component, std::string& name);

 private:
  friend struct TReaderNesting;

  void ReadBuffer();
  void SkipBytes(int64_t count);
  // Reads a signed 4-byte length and checks it against the data left.
  int32_t ReadLength(int unitSize);
  int64_t Remaining() const;
  [[noreturn]] void PropValueError();
  [[noreturn]] void PropertyError(const std::string& name);
  void SkipSetBody();
  void AddFixup(TPersistent* instance, const PropertyRecord& prop, bool isInterface);
  // Steps of ReadPropertyValue.
  void CheckWritable(TPersistent* instance, const PropertyRecord& prop);
  void ReadIntegerProperty(TPersistent* instance, const PropertyRecord& prop);
  void ReadClassProperty(TPersistent* instance, const PropertyRecord& prop);
  void ReadMethodProperty(TPersistent* instance, const PropertyRecord& prop);
  void ResolveGlobalReferencesRetrying();
  bool RecoverChild(const class Exception& error, TComponent*& component, bool created);
  // Steps of LoadChild.
  TComponent* FindOrCreateChild(uint8_t flags, const std::string& className,
                                const std::string& name, bool& created);
  bool PlaceNewChild(TComponent*& result, bool& created, std::string& name);
  void SkipCollectionBody();
  std::string ReadAnsiBytes(TValueType tag);
  const ClassMetadata& FindComponentClass(const std::string& className);

  std::unique_ptr<uint8_t[]> buffer_;
  int32_t bufPos_ = 0;
  int32_t bufEnd_ = 0;
  int nesting_ = 0;
  TComponent* owner_ = nullptr;
  TComponent* parent_ = nullptr;
  std::unique_ptr<TClassFinder> finder_;
  std::vector<TComponent*>* loaded_ = nullptr;
  // The records of the read in progress (owned by the outermost ReadComponentData).
  std::vector<std::unique_ptr<TPropFixup>>* fixups_ = nullptr;
  std::string propName_;
  // True while propName_ still waits for a declared value to consume it.
  bool propPending_ = false;
  bool canHandleExceptions_ = false;
};
