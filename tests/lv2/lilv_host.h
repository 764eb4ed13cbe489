#pragma once
// A small LV2 host over lilv, as a DAW uses it: the built bundle loaded into a world, instances
// with the host features (URID map, options with the block length), float buffers on every port,
// and the state calls. Everything runs on the calling thread.
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lilvhost {

constexpr char kPluginURI[] = "https://quenmarrow.example/plugins/verlo";
constexpr int kControls = 5, kFirstAudioIn = 5, kFirstAudioOut = 7, kPorts = 9;

class UridMap {
public:
  UridMap() {
    mMap.handle = this;
    mMap.map = [](LV2_URID_Map_Handle handle, const char* uri) {
      auto& ids = static_cast<UridMap*>(handle)->mIds;
      auto found = ids.find(uri);
      if (found != ids.end()) return found->second;
      const LV2_URID id = static_cast<LV2_URID>(ids.size() + 1);
      ids.emplace(uri, id);
      return id;
    };
    mUnmap.handle = this;
    mUnmap.unmap = [](LV2_URID_Unmap_Handle handle, LV2_URID id) -> const char* {
      for (const auto& entry : static_cast<UridMap*>(handle)->mIds)
        if (entry.second == id) return entry.first.c_str();
      return nullptr;
    };
  }
  LV2_URID Map(const char* uri) { return mMap.map(this, uri); }
  LV2_URID_Map* MapFeature() { return &mMap; }
  LV2_URID_Unmap* UnmapFeature() { return &mUnmap; }

private:
  std::map<std::string, LV2_URID> mIds;
  LV2_URID_Map mMap{};
  LV2_URID_Unmap mUnmap{};
};

// The world with the built bundle in it, and the plug-in found there.
class World {
public:
  World() : mWorld(lilv_world_new()) {
    LilvNode* bundle = lilv_new_file_uri(mWorld, nullptr, VERLO_LV2_BUNDLE "/");
    lilv_world_load_bundle(mWorld, bundle);
    lilv_node_free(bundle);
    LilvNode* uri = lilv_new_uri(mWorld, kPluginURI);
    mPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), uri);
    lilv_node_free(uri);
  }
  ~World() { lilv_world_free(mWorld); }
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  LilvWorld* Get() const { return mWorld; }
  const LilvPlugin* Plugin() const { return mPlugin; }
  UridMap& Urids() { return mUrids; }

private:
  LilvWorld* mWorld;
  const LilvPlugin* mPlugin = nullptr;
  UridMap mUrids;
};

class Instance {
public:
  Instance(World& world, double sampleRate, int maxBlock) : mWorld(world), mMaxBlock(maxBlock) {
    UridMap& urids = world.Urids();
    mOptions[0] = {LV2_OPTIONS_INSTANCE, 0, urids.Map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
                   urids.Map(LV2_ATOM__Int), &mMaxBlock};
    mOptions[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
    mFeatureList[0] = {LV2_URID__map, urids.MapFeature()};
    mFeatureList[1] = {LV2_URID__unmap, urids.UnmapFeature()};
    mFeatureList[2] = {LV2_OPTIONS__options, mOptions};
    for (int i = 0; i < 3; ++i) mFeatures[i] = &mFeatureList[i];
    mFeatures[3] = nullptr;
    mInstance = world.Plugin() ? lilv_plugin_instantiate(world.Plugin(), sampleRate, mFeatures) : nullptr;
    for (auto& buffer : mAudio) buffer.assign(static_cast<size_t>(maxBlock), 0.0f);
    if (!mInstance) return;
    for (int i = 0; i < kControls; ++i) lilv_instance_connect_port(mInstance, i, &mControls[i]);
    for (int i = 0; i < 4; ++i) lilv_instance_connect_port(mInstance, kFirstAudioIn + i, mAudio[i].data());
    lilv_instance_activate(mInstance);
  }
  ~Instance() {
    if (!mInstance) return;
    lilv_instance_deactivate(mInstance);
    lilv_instance_free(mInstance);
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  bool Valid() const { return mInstance != nullptr; }
  float& Control(int port) { return mControls[port]; }
  float* In(int channel) { return mAudio[channel].data(); }
  float* Out(int channel) { return mAudio[2 + channel].data(); }
  void Run(int nFrames) { lilv_instance_run(mInstance, static_cast<uint32_t>(nFrames)); }
  LilvInstance* Get() const { return mInstance; }
  const LV2_Feature* const* Features() const { return mFeatures; }

  // The state property the plug-in stores, through its state interface directly.
  std::vector<unsigned char> SavedChunk() {
    const auto* state = static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(mInstance, LV2_STATE__interface));
    std::vector<unsigned char> bytes;
    if (!state) return bytes;
    state->save(lilv_instance_get_handle(mInstance),
                [](LV2_State_Handle handle, uint32_t, const void* value, size_t size, uint32_t, uint32_t) {
                  auto* out = static_cast<std::vector<unsigned char>*>(handle);
                  const auto* data = static_cast<const unsigned char*>(value);
                  out->assign(data, data + size);
                  return LV2_STATE_SUCCESS;
                },
                &bytes, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, mFeatures);
    return bytes;
  }

  // lilv's own save and restore, port values included, as a host keeps them in a session.
  LilvState* SaveState() {
    return lilv_state_new_from_instance(mWorld.Plugin(), mInstance, mWorld.Urids().MapFeature(), nullptr,
                                        nullptr, nullptr, nullptr, GetPortValue, this,
                                        LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, mFeatures);
  }
  // Without the port values, only the plug-in's state interface restores.
  void RestoreState(const LilvState* state, bool withPortValues = true) {
    lilv_state_restore(state, mInstance, withPortValues ? SetPortValue : nullptr, this, 0, mFeatures);
  }

private:
  int PortIndex(const char* symbol) const {
    LilvNode* node = lilv_new_string(mWorld.Get(), symbol);
    const LilvPort* port = lilv_plugin_get_port_by_symbol(mWorld.Plugin(), node);
    lilv_node_free(node);
    return port ? static_cast<int>(lilv_port_get_index(mWorld.Plugin(), port)) : -1;
  }
  static const void* GetPortValue(const char* symbol, void* user, uint32_t* size, uint32_t* type) {
    auto* self = static_cast<Instance*>(user);
    const int index = self->PortIndex(symbol);
    if (index < 0 || index >= kControls) return nullptr;
    *size = sizeof(float);
    *type = self->mWorld.Urids().Map(LV2_ATOM__Float);
    return &self->mControls[index];
  }
  static void SetPortValue(const char* symbol, void* user, const void* value, uint32_t size, uint32_t type) {
    auto* self = static_cast<Instance*>(user);
    const int index = self->PortIndex(symbol);
    if (index < 0 || index >= kControls || size != sizeof(float) ||
        type != self->mWorld.Urids().Map(LV2_ATOM__Float))
      return;
    memcpy(&self->mControls[index], value, sizeof(float));
  }

  World& mWorld;
  int32_t mMaxBlock;
  LV2_Options_Option mOptions[2];
  LV2_Feature mFeatureList[3];
  const LV2_Feature* mFeatures[4];
  LilvInstance* mInstance = nullptr;
  float mControls[kControls] = {5.0f, 0.22f, 0.0f, 0.0f, 0.0f};
  std::vector<float> mAudio[4];
};

}  // namespace lilvhost
