// A settings store held in memory for tests: sections of named texts, and the order of writes.
#pragma once

#include "core/SettingsStore.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vorn {

class MemorySettings : public SettingsStore {
public:
    std::string ReadText(const std::string& section, const std::string& name,
                         const std::string& fallback) override {
        const auto it = values.find({section, name});
        return it == values.end() ? fallback : it->second;
    }
    void WriteText(const std::string& section, const std::string& name,
                   const std::string& text) override {
        values[{section, name}] = text;
        written.push_back(name);
    }
    void RemoveText(const std::string& section, const std::string& name) override {
        values.erase({section, name});
    }
    void Set(const std::string& name, const std::string& text) {
        values[{kSettingsSection, name}] = text;
    }
    std::string Get(const std::string& name) const {
        const auto it = values.find({kSettingsSection, name});
        return it == values.end() ? "<absent>" : it->second;
    }

    std::map<std::pair<std::string, std::string>, std::string> values;
    std::vector<std::string> written; // value names in the order they were written
};

} // namespace vorn
