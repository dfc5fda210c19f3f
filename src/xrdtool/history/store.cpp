#include "xrdtool/history/store.h"

#include "xrdtool/history/postgres_engine.h"
#include "xrdtool/history/schema.h"
#include "xrdtool/history/series.h"
#include "xrdtool/history/store_name.h"

namespace xrdtool::history {

Result<Store> openStore(const std::string& where, OpenMode mode)
{
    Result<std::unique_ptr<Connection>> connection =
        isPostgresUri(where) ? openPostgres(where, mode) : openSqlite(where, mode);
    if (!connection)
        return connection.error();
    Store store;
    store.connection = std::move(*connection);
    if (store.connection)
        store.statements = std::make_unique<Statements>(*store.connection);
    return store;
}

Result<void> beginWrite(Store& store, Transaction& transaction)
{
    if (Result<void> begun = transaction.begin(true); !begun)
        return begun;
    const Result<std::vector<std::string>> before = store.connection->tableNames();
    if (!before)
        return before.error();
    if (const Result<StoreState> state = recogniseStore(*store.connection, true); !state)
        return state.error();
    // A store that was there is checked before anything is written to it:
    // damage found later would be written over.
    return before->empty() ? Result<void>() : store.connection->checkIntegrity();
}

Result<std::unique_ptr<StoreReader>> StoreReader::open(const std::string& where)
{
    Result<Store> store = openStore(where, OpenMode::Read);
    if (!store)
        return store.error();
    std::unique_ptr<StoreReader> reader(new StoreReader);
    if (!store->exists())
        return std::unique_ptr<StoreReader>();
    reader->store_ = std::move(*store);
    reader->transaction_.emplace(*reader->store_.connection);
    if (Result<void> begun = reader->transaction_->begin(false); !begun)
        return begun.error();
    const Result<StoreState> state = recogniseStore(*reader->store_.connection, false);
    if (!state)
        return state.error();
    if (*state == StoreState::Empty)
        return std::unique_ptr<StoreReader>();
    return reader;
}

Result<std::optional<std::int64_t>> StoreReader::series(const std::string& name)
{
    return findSeries(*store_.statements, name);
}

Error noHistory(const std::string& where)
{
    return fileError(maskedName(where), "no history here");
}

} // namespace xrdtool::history
