#include "view/ViewKeys.h"

#include "view/ViewCore.h"

namespace vynui {

namespace {

ViewKey Char(char c, const char* effect, bool passedOn = false)
{
    ViewKey key;
    key.character = static_cast<unsigned char>(c);
    key.label = std::string(1, c);
    key.effect = effect;
    key.passedOn = passedOn;
    return key;
}

ViewKey Reserved(char c, const char* effect = "Reserved; does nothing.")
{
    ViewKey key = Char(c, effect);
    key.noOp = true;
    return key;
}

ViewKey Special(int special, const char* label, const char* effect)
{
    ViewKey key;
    key.special = special;
    key.label = label;
    key.effect = effect;
    return key;
}

std::vector<ViewKey> BuildTable()
{
    // a and p belong to the surface-detail layer, which is not built: they
    // reach it and it does nothing with them.
    return {
        Char('+', "Finer mesh: the polygonizer's cells shrink by a tenth and the surface is made again."),
        Char('-', "Coarser mesh: the cells grow by a tenth and the surface is made again."),
        Char('1', "Surface-detail mode 1 (kept with the scene; nothing to see until decals are built)."),
        Char('2', "Surface-detail mode 2 (kept with the scene; nothing to see until decals are built)."),
        Char('3', "Surface-detail mode 3 (kept with the scene; nothing to see until decals are built)."),
        Reserved('a', "Surface-detail action; does nothing until decals are built."),
        Char('b', "Handles and HUD buttons at double size, or back to normal size.", true),
        Char('c', "Field caching on or off.", true),
        Char('d', "Draws the last sketch stroke again."),
        Char('e', "A short, smooth camera flight to a new viewpoint."),
        Char('i', "Redraws the scene."),
        Reserved('p', "Surface-detail action; does nothing until decals are built."),
        Char('r', "Samples the \"Field Image\" window again when it is open."),
        Char('s', "Sizes the window so that the 3D view is 640 x 480 pixels."),
        Char('t', "The next 3D tool that can move the selection."),
        Char('z', "A ray-traced picture of the scene in the \"RayTrace\" window (asks first; it is slow)."),
        Reserved('='),
        Reserved('\\'),
        Reserved('u'),
        Special(CViewCore::KEY_SPACE, "Space (held)",
                "While held, shapes are drawn from their last meshes only (fast primitive display)."),
        Special(CViewCore::KEY_ESCAPE, "Escape", "Stops animation playback."),
        Special(CViewCore::KEY_ALT, "Alt (held)",
                "The mouse moves the camera: left drag tumbles, middle drag pans, right drag dollies."),
    };
}

}  // namespace

const std::vector<ViewKey>& ViewKeyTable()
{
    static const std::vector<ViewKey> table = BuildTable();
    return table;
}

const ViewKey* FindCharacterKey(int character)
{
    if (character == 0) return nullptr;
    for (const ViewKey& key : ViewKeyTable())
        if (key.character == character) return &key;
    return nullptr;
}

const ViewKey* FindSpecialKey(int special)
{
    if (special == 0) return nullptr;
    for (const ViewKey& key : ViewKeyTable())
        if (key.special == special) return &key;
    return nullptr;
}

}  // namespace vynui
