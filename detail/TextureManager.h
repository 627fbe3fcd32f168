#pragma once
// The texture manager as far as the rest of the program needs it: the flags
// the renderer reads, the painting mode the number keys choose, and its
// record in the scene file. It paints nothing yet, so it passes every input
// event and gesture on and handles no menu command.

#include <string>

#include "interact/IGestureEventListener.h"
#include "interact/InputEvent.h"
#include "scene/CommandTarget.h"
#include "scene/IChangeListener.h"
#include "surface/ISurfaceManagerListener.h"

namespace Wml {
class Serializer;
class SerializerRecord;
}  // namespace Wml
namespace WmlDeprecated {
class SerializerRecord;
}

namespace vynui_tex {

class CTextureManager : public vynui::IInputEventListener,
                        public vynui::IGestureEventListener,
                        public vynui::ISurfaceManagerListener,
                        public vynui::IChangeListener,
                        public vynui::CommandTarget {
public:
    static const int kNumModes = 3;

    CTextureManager() = default;

    // ---- what the renderer reads (both initially false)
    bool IsTexturingEnabled() const { return m_texturingEnabled; }
    void SetTexturingEnabled(bool on) { m_texturingEnabled = on; }
    bool GetShowTexturePatches() const { return m_showTexturePatches; }
    void SetShowTexturePatches(bool on) { m_showTexturePatches = on; }

    /// 0, 1 or 2 (initially 0). Other values are refused (false).
    bool SetMode(int mode);
    int GetMode() const { return m_mode; }
    /// A key the view hands over: '1', '2' and '3' choose modes 0, 1 and 2
    /// (true). Other keys do nothing here (false).
    bool OnKey(int key);

    /// Draws the painted layer; nothing is painted yet.
    void Draw() {}

    // ---- the "TextureManager" record
    /// "TexturingEnabled", "ShowTexturePatches" (unsigned 0 or 1) and "Mode".
    /// No "Texture" records: no textures are loaded. False for a null record.
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) const;
    /// Takes the fields that are present. A record with a field of the wrong
    /// kind, a flag other than 0 or 1 or a mode out of range is refused
    /// whole (false, nothing changed). False for a null record.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record);
    /// The same fields in the older record format.
    bool RestoreOld(WmlDeprecated::SerializerRecord* record);

    // ---- input: nothing to paint, so every event goes on
    int OnInputEvent(const vynui::InputEvent& event) override;

    // ---- commands: none handled
    bool OnCommand(const std::string& menuText) override;

private:
    template <class Record>
    bool RestoreFrom(const Record& record);

    bool m_texturingEnabled = false;
    bool m_showTexturePatches = false;
    int m_mode = 0;
};

}  // namespace vynui_tex
