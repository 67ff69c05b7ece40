// Writes the bundle's manifest.ttl and VantorKestrune.ttl into the folder given as the only
// argument, from the parameter table of a freshly created plug-in instance. Run by the build.

#include "lv2/kestrune/KestruneLv2.h"
#include "plugin/VantorKestrune.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <memory>
#include <string>

namespace
{

bool WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out)
    {
        std::fprintf(stderr, "kestrune_lv2_ttl: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: kestrune_lv2_ttl BUNDLE_DIR\n");
        return 2;
    }
    try
    {
        const std::unique_ptr<VantorKestrune> plug(CreatePlugin());
        const Lv2BundleDescription bundle = KestruneBundleDescription(*plug);
        const std::string dir = argv[1];
        const bool ok = WriteFile(dir + "/manifest.ttl", Lv2ManifestTurtle(bundle)) &&
                        WriteFile(dir + "/" + bundle.pluginFile, Lv2PluginTurtle(bundle, *plug)) &&
                        WriteFile(dir + "/" + bundle.presetFile, Lv2PresetTurtle(bundle));
        return ok ? 0 : 1;
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "kestrune_lv2_ttl: %s\n", e.what());
        return 1;
    }
}
