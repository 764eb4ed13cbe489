#pragma once
// The format-independent half of a plug-in instance: parameters, presets, identity, the plug-in
// mutex, sample rate and block size, and the channel model with the buffer routing between the
// host's 32- or 64-bit buffers and the 64-bit buffers the effect processes.
#include "effect/Containers.h"
#include "effect/Hosts.h"
#include "effect/IEffectStructs.h"
#include "effect/IParam.h"
#include "kit/heapbuf.h"
#include "kit/mutex.h"
#include "kit/ptrlist.h"

// The version header that opens every state chunk: "tffp", then the framework version.
void InitChunkWithFrameworkVer(ByteChunk* chunk);
// Returns the version and advances *pos past the header; 0 with *pos unchanged when there is
// no header at *pos, 0 with *pos = -1 when the header is cut short.
int GetFrameworkVerFromChunk(ByteChunk* chunk, int* pos);
IPreset* GetNextUninitializedPreset(KIT_PtrList<IPreset>* presets);
// out holds at least 32 bytes.
void MakeDefaultUserPresetName(KIT_PtrList<IPreset>* presets, char* out);

class IEffectBase {
public:
  static constexpr int kNameLen = 128;

  IEffectBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
              const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
              int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
              EAPI plugAPI);
  IEffectBase(const IEffectBase&) = delete;
  IEffectBase& operator=(const IEffectBase&) = delete;

  // The virtual slots, in their fixed order. Threads: "host" is whichever host thread makes the
  // call (its main thread for the dispatcher, automation threads for parameter sets); "audio" the
  // host's audio thread; "GUI" the thread that owns the editor. All of them run with mMutex held
  // unless said otherwise.
  virtual ~IEffectBase();                                               // host (close)
  virtual void Reset();                                                 // host
  virtual void OnParamChange(int paramIdx);                             // host, GUI
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);  // audio
  virtual void OnGUIOpen() {}                                           // GUI
  virtual void OnGUIClose() {}                                          // GUI
  virtual void OnIdle() {}                                              // host
  virtual void OnActivate(bool active);                                 // host
  virtual void ProcessMidiMsg(IMidiMsg* msg);                           // audio, host
  virtual void ProcessSysEx(ISysEx* /*msg*/) {}                         // audio, host
  virtual bool MidiNoteName(int noteNumber, char* name);                // host
  virtual bool SerializeState(ByteChunk* chunk) { return SerializeParams(chunk); }  // host
  virtual int UnserializeState(ByteChunk* chunk, int startPos) {       // host
    return UnserializeParams(chunk, startPos);
  }
  virtual bool CompareState(const unsigned char* data, int startPos);   // host
  virtual void OnWindowResize() {}                                      // GUI
  virtual bool HostRequestingAboutBox() { return false; }               // host
  virtual void OnHostIdentified() {}                                    // host
  virtual void PopupHostContextMenuForParam(int /*paramIdx*/, int /*x*/, int /*y*/) {}  // GUI
  // GUI; takes mMutex itself.
  virtual void SetParameterFromGUI(int paramIdx, double normalized);
  // GUI, without mMutex: the host may answer on its own GUI thread.
  virtual void BeginInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfParamChange(int paramIdx, double normalized) = 0;  // GUI, host
  // GUI, without mMutex.
  virtual void EndInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfProgramChange() = 0;                         // host, GUI
  virtual bool IsRenderingOffline() { return false; }                   // audio, host
  virtual int GetSamplePos() = 0;                                       // audio
  virtual double GetTempo() = 0;                                        // audio
  virtual void GetTimeSig(int* numerator, int* denominator) = 0;        // audio
  virtual void GetTime(ITimeInfo* timeInfo) = 0;                        // audio
  virtual EHost GetHost() { return mHost; }                             // host
  virtual EAPI GetAPI() { return mAPI; }                                // any
  virtual void ResizeGraphics(int w, int h) = 0;                        // GUI
  virtual void HostSpecificInit() {}                                    // host (open)
  // The constructor's thread; takes mMutex itself.
  virtual void AttachGraphics(IGraphics* graphics);
  virtual void SetLatency(int samples) { mLatency = samples; }          // host
  virtual bool SendMidiMsg(IMidiMsg* msg) = 0;                          // audio
  virtual bool SendSysEx(ISysEx* /*msg*/) { return false; }             // audio
  virtual void RedrawParamControls();                                   // host
  virtual void DirtyPTCompareState() {}                                 // host
  virtual void PresetsChangedByHost() {}                                // host
  virtual void SetBlockSize(int blockSize);                             // host

  // Identity and configuration.
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetEffectVersion(bool decimal) const;
  int GetLatency() const { return mLatency; }
  int GetTailSize() const { return mTailSize; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool IsInst() const { return mIsInst; }
  bool DoesMIDI() const { return mDoesMIDI; }
  KIT_Mutex& GetMutex() { return mMutex; }

  int NParams() const { return mParams.GetSize(); }
  IParam* GetParam(int idx) const { return mParams.Get(idx); }
  IGraphics* GetGUI() const { return mGraphics; }
  void OnParamReset();

  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  int GetBlockSize() const { return mBlockSize; }

  // Host identification and version strings; out texts hold at least 32 bytes.
  void SetHost(const char* host, int version);
  int GetHostVersion(bool decimal);
  void GetHostVersionStr(char* out);
  void GetEffectVersionStr(char* out) const;
  const char* GetAPIString() { return GetAPIStr(GetAPI()); }
  const char* GetArchString() const { return "x64"; }

  // Sends every message in order; true only when every send succeeded.
  bool SendMidiMsgs(KIT_TypedBuf<IMidiMsg>* msgs);

  // Channels.
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  bool IsInChannelConnected(int idx) const;
  bool IsOutChannelConnected(int idx) const;
  bool LegalIO(int nIn, int nOut) const;
  void LimitToStereoIO();
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);

  // Buffer routing; with the mutex held. nFrames must not exceed the block size whenever a
  // channel works on its scratch buffer: ProcessHostBlock below takes care of that.
  void AttachInputBuffers(int idx, int n, double** ppData, int nFrames);
  void AttachInputBuffers(int idx, int n, float** ppData, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** ppData);
  void AttachOutputBuffers(int idx, int n, float** ppData);
  void ProcessBuffers(double sampleType, int nFrames);
  void ProcessBuffers(float sampleType, int nFrames);
  void ProcessBuffersAccumulating(float sampleType, int nFrames);

  // One host block, attached and processed in pieces of at most the block size whenever a
  // channel works on its scratch buffer, so oversized host blocks never run past them.
  // The host arrays hold one pointer per connected channel, in channel order. With the mutex held.
  void ProcessHostBlock(double** inputs, double** outputs, int nFrames);
  void ProcessHostBlock(float** inputs, float** outputs, int nFrames, bool accumulate);

  // State of one program: the parameter values.
  bool SerializeParams(ByteChunk* chunk);
  int UnserializeParams(ByteChunk* chunk, int startPos);

  // State chunks and presets.
  // The bank layout: for each slot its name, its initialised flag and, when set, its state.
  bool SerializePresets(ByteChunk* chunk);
  int UnserializePresets(ByteChunk* chunk, int startPos);
  // The chunk exchange with a host: the header, then a program's state or the bank. The set form
  // reads a chunk the host filled; a chunk without header, or with a version below 1.0.0, is read
  // as a program whatever isBank says. Both return false on failure.
  bool GetStateChunkForHost(ByteChunk* chunk, bool isBank);
  bool SetStateChunkFromHost(ByteChunk* chunk, bool isBank);
  // For the effect's constructor: each fills the next uninitialised slot (nothing when none is
  // left). Names longer than a slot holds are cut (see CopyNameField).
  void MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
  // One value per parameter in index order: an int for boolean, integer and enumerated
  // parameters, a double for the others.
  void MakePreset(const char* name, ...);
  // nParamsNamed pairs of an int index and a value typed as for MakePreset; parameters not named
  // keep their current value. Reading stops at the first index that names no parameter.
  void MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  void MakePresetFromChunk(const char* name, ByteChunk* chunk);
  void MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
  // Fills every slot still uninitialised with "Empty" and the current state.
  void EnsureDefaultPreset();
  void PruneUninitializedPresets();
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  const char* GetPresetName(int idx) const;
  // Stores the live state into the current slot and renames it when name is not empty.
  void ModifyCurrentPreset(const char* name = nullptr);
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  IPreset* GetPreset(int idx) const { return mPresets.Get(idx); }
  void DirtyParameters();
  // Developer aids: source text that rebuilds the current preset or the bank.
  void DumpPresetSrcCode(const char* filename, const char* paramEnumNames[]);
  void DumpPresetBlob(const char* filename);
  void DumpBankBlob(const char* filename);

  // Program and bank files (FXP, FXB).
  bool SaveProgramAsFXP(const KIT_String& path);
  bool SaveBankAsFXB(const KIT_String& path);
  bool LoadProgramFromFXP(const KIT_String& path);
  bool LoadBankFromFXB(const KIT_String& path);

protected:
  struct ChannelIO {
    int mIn, mOut;
  };
  struct InChannel {
    bool mConnected = false;
    double** mSrc = nullptr;
    KIT_TypedBuf<double> mScratchBuf;
  };
  struct OutChannel {
    bool mConnected = false;
    double** mDest = nullptr;
    float* mFDest = nullptr;
    KIT_TypedBuf<double> mScratchBuf;
  };

  KIT_PtrList<ChannelIO> mChannelIO;
  KIT_Mutex mMutex;
  char mEffectName[kNameLen];
  char mProductName[kNameLen];
  char mMfrName[kNameLen];
  int mUniqueID;
  int mMfrID;
  int mVersion;
  EAPI mAPI;
  EHost mHost = kHostUninit;
  int mHostVersion = 0;
  bool mStateChunks;
  bool mIsInst;
  bool mDoesMIDI;
  int mCurrentPresetIdx = 0;
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  int mLatency;
  int mTailSize = 0;
  // Set once by AttachGraphics (the constructor's thread); then read by every thread.
  IGraphics* mGraphics = nullptr;
  KIT_PtrList<IParam> mParams;
  KIT_PtrList<IPreset> mPresets;
  KIT_TypedBuf<double*> mInData;
  KIT_TypedBuf<double*> mOutData;
  KIT_PtrList<InChannel> mInChannels;
  KIT_PtrList<OutChannel> mOutChannels;

private:
  // Fills slot with the given name (or "Empty") and its flag set; its chunk is left to the caller.
  static void InitPresetSlot(IPreset* preset, const char* name);

  template <class T> void ProcessInPieces(T** inputs, T** outputs, int nFrames, bool accumulate);
  template <class T> void SilenceHostOutputs(T** outputs, int nFrames);

  // How many channels are connected, kept by the connection operations.
  int mConnectedIn = 0;
  int mConnectedOut = 0;
  // Host pointers advanced to the current piece; sized once at construction.
  KIT_TypedBuf<void*> mPieceIn;
  KIT_TypedBuf<void*> mPieceOut;
};

// The first slot not yet initialised, or null.
IPreset* GetNextUninitializedPreset(KIT_PtrList<IPreset>* presets);
// "user preset N", N one more than the slots whose names contain "user preset"; out holds at least
// 32 bytes.
void MakeDefaultUserPresetName(KIT_PtrList<IPreset>* presets, char* out);
