#pragma once
// A registry in which exactly the given grid versions (catalogue rows) are registered.
#include "gridmover/core/grid_version.h"
#include "gridmover/core/registry.h"

#include <initializer_list>
#include <memory>
#include <set>
#include <string>

class InstalledGrids : public gridmover::Registry {
public:
    explicit InstalledGrids(std::initializer_list<int> rows) {
        gridmover::LoadGridVersions();
        for (int row : rows)
            keys_.insert("CLSID\\{" +
                         gridmover::Versions().Item(row)->Item("CLSID_MsDgrid")->ToString() + "}");
    }
    bool KeyExists(std::string_view key) const override { return keys_.contains(std::string(key)); }

    std::set<std::string, std::less<>> keys_;
};
