#include "app/command_line.h"

#include "core/codepage.h"
#include "core/error.h"

namespace tavlora::app {

bool hasSwitch(const std::vector<std::string>& args, std::string_view word) {
    for (const auto& a : args) {
        std::string_view s = a;
        if (s.starts_with("--"))
            s.remove_prefix(2);
        else if (s.starts_with("-") || s.starts_with("/") || s.starts_with("\\"))
            s.remove_prefix(1);
        if (equalsIgnoreCase(s, word)) return true;
    }
    return false;
}

StartupOptions parseStartupOptions(const std::vector<std::string>& args, const std::filesystem::path& exeDir) {
    StartupOptions o;
    o.restart = hasSwitch(args, "restart");
    o.loadOnly = hasSwitch(args, "loadonly");
    o.fullRecreate = hasSwitch(args, "fullrecreate");
    o.fullRefresh = hasSwitch(args, "fullrefresh");
    o.dataDir = exeDir;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--data") {
            if (i + 1 >= args.size() || args[i + 1].empty()) throw EError("Не указан каталог данных после --data");
            o.dataDir = args[++i];
            o.dataGiven = true;
        } else if (a.starts_with("--data=")) {
            if (a.size() == 7) throw EError("Не указан каталог данных после --data");
            o.dataDir = a.substr(7);
            o.dataGiven = true;
        }
    }
    return o;
}

}  // namespace tavlora::app
