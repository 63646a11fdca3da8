#pragma once

#include "Fixture.h"
#include "data/cursor/Connection.h"
#include "data/cursor/DataSet.h"

namespace fixture {

// The user register of a course root, opened on a connection of its own, as a second program
// (or a test without windows) sees it.
struct OpenedRegister {
    explicit OpenedRegister(const CourseRoot& root) : users(&connection) {
        connection.setConnectionString(root.connectionString());
        users.setTableName(QStringLiteral("user1"));
        users.open();
    }
    Connection connection;
    DataSet users;
};

}  // namespace fixture
