# The layers of the two programs, lowest first. Each folder under src/ is a
# layer (a subfolder named here is one of its own) and includes only layers
# before it in its program's list; folders joined by "|" sit side by side and
# never include each other; "xrdtool/*" stands for every subfolder of
# xrdtool/ that is not named on its own (one per command). xrdtool/history,
# the history store, is a service below the commands (summary and html read
# it); its own commands' bodies live beside it. The two programs share nothing.
# Read by the top CMakeLists.txt (QV_LAYERS) and by tests/check-layers.
set(QV_LAYER_RANKS base model readers|report driver)
set(XRDTOOL_LAYER_RANKS xrd xrdtool/common xrdtool/history xrdtool/* xrdtool)
