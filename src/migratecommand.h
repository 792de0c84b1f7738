// `melodex migrate`: the catalogue copied to a PostgreSQL server and back, in builds that have
// the server engine.
#pragma once

namespace melodex {

/// Declares `migrate` at the command line's front door.
void registerMigrateCommand();

} // namespace melodex
