#include "KeyScript.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace {
bool parseTick(const std::string& text, int& tick)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    tick = std::atoi(text.c_str());
    return true;
}

bool parseKey(const std::string& name, unsigned char& key)
{
    if (name == "space") { key = ' '; return true; }
    if (name == "minus") { key = '-'; return true; }
    if (name == "period") { key = '.'; return true; }
    if (name.size() == 1 && name[0] > ' ' && name[0] < 127) {
        key = static_cast<unsigned char>(name[0]);
        return true;
    }
    return false;
}
}

bool parseKeyScript(const std::string& script, std::vector<KeyEvent>& events, std::string& error)
{
    events.clear();
    if (script.empty()) {
        return true;
    }
    std::stringstream entries(script);
    std::string entry;
    while (std::getline(entries, entry, ',')) {
        const size_t colon = entry.find(':');
        if (colon == std::string::npos) {
            error = "key script entry '" + entry + "' has no ':' between ticks and keys";
            return false;
        }
        const std::string ticks = entry.substr(0, colon);
        const std::string keys = entry.substr(colon + 1);
        int first = 0;
        int last = 0;
        const size_t dash = ticks.find('-');
        if (dash == std::string::npos) {
            if (!parseTick(ticks, first)) {
                error = "key script entry '" + entry + "': '" + ticks + "' is not a tick number";
                return false;
            }
            last = first + 1;
        } else if (!parseTick(ticks.substr(0, dash), first) || !parseTick(ticks.substr(dash + 1), last)
                   || last <= first) {
            error = "key script entry '" + entry + "': '" + ticks + "' is not a range FIRST-LAST with FIRST < LAST";
            return false;
        }
        std::stringstream names(keys);
        std::string name;
        int count = 0;
        while (std::getline(names, name, '+')) {
            unsigned char key = 0;
            if (!parseKey(name, key)) {
                error = "key script entry '" + entry + "': unknown key '" + name + "'";
                return false;
            }
            events.push_back({first, key, true});
            events.push_back({last, key, false});
            ++count;
        }
        if (count == 0) {
            error = "key script entry '" + entry + "' names no key";
            return false;
        }
    }
    std::stable_sort(events.begin(), events.end(), [](const KeyEvent& a, const KeyEvent& b) {
        if (a.tick != b.tick) {
            return a.tick < b.tick;
        }
        return !a.down && b.down;
    });
    return true;
}
