#include "detail/TextureManager.h"

#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynui_tex {

namespace {

const char* const kTexturing = "TexturingEnabled";
const char* const kPatches = "ShowTexturePatches";
const char* const kMode = "Mode";

// A present flag must be an unsigned 0 or 1.
template <class Record>
bool ReadFlag(const Record& record, const char* key, bool& value)
{
    if (!record.HasKey(key)) return true;
    unsigned int u = 0;
    if (!record.GetValue(key, u, 0u) || u > 1) return false;
    value = u != 0;
    return true;
}

}  // namespace

bool CTextureManager::SetMode(int mode)
{
    if (mode < 0 || mode >= kNumModes) return false;
    m_mode = mode;
    return true;
}

bool CTextureManager::OnKey(int key)
{
    if (key >= '1' && key < '1' + kNumModes) return SetMode(key - '1');
    return false;
}

bool CTextureManager::Store(Wml::Serializer*, Wml::SerializerRecord* record) const
{
    if (!record) return false;
    record->SetValue(kTexturing, static_cast<unsigned int>(m_texturingEnabled ? 1 : 0));
    record->SetValue(kPatches, static_cast<unsigned int>(m_showTexturePatches ? 1 : 0));
    record->SetValue(kMode, m_mode);
    return true;
}

template <class Record>
bool CTextureManager::RestoreFrom(const Record& record)
{
    bool texturing = m_texturingEnabled;
    bool patches = m_showTexturePatches;
    int mode = m_mode;
    if (!ReadFlag(record, kTexturing, texturing) || !ReadFlag(record, kPatches, patches)) return false;
    if (record.HasKey(kMode)) {
        if (!record.GetValue(kMode, mode, 0) || mode < 0 || mode >= kNumModes) return false;
    }
    m_texturingEnabled = texturing;
    m_showTexturePatches = patches;
    m_mode = mode;
    return true;
}

bool CTextureManager::Restore(Wml::Serializer*, Wml::SerializerRecord* record)
{
    return record && RestoreFrom(*record);
}

bool CTextureManager::RestoreOld(WmlDeprecated::SerializerRecord* record)
{
    return record && RestoreFrom(*record);
}

int CTextureManager::OnInputEvent(const vynui::InputEvent&)
{
    return vynui::INPUT_NOT_HANDLED;
}

bool CTextureManager::OnCommand(const std::string&)
{
    return false;
}

}  // namespace vynui_tex
