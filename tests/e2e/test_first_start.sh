# Journey: the first start in an empty folder asks for the provider code; 123456 and OK store it
# and the window shows the first new record. Cancel on that record ends the program at once.
. "$(dirname "$0")/lib.sh"
e2e_begin first_start "$@"

step "start in an empty folder: the provider-code dialog opens"
start_program
find_main_window
dialog=$(find_window '^Update Provider Code$') || fail "the provider-code dialog did not open"
[ -d "$APP/AppData" ] && [ -d "$APP/Submit" ] || fail "AppData and Submit were not created"
for folder in AppData Submit; do
    [ "$(stat -c %a "$APP/$folder")" = 700 ] || fail "$folder is not owner-only"
done
expect_bytes "$DATA/Korvanel.dat" ''
expect_bytes "$DATA/provider.txt" ''

step "type 123456 into the dialog and press OK"
xdotool windowfocus --sync "$dialog" || fail "cannot focus the dialog"
type_text 123456
screenshot "$JOURNEY-dialog"
click OKButton "$dialog"
wait_for "$E2E_TIMEOUT" box_closed "$dialog" || fail "the dialog did not close"
wait_for "$E2E_TIMEOUT" file_size_is "$DATA/provider.txt" 6 || fail "provider.txt was not written"
expect_bytes "$DATA/provider.txt" '123456'
[ "$(stat -c %a "$DATA/provider.txt")" = 600 ] || fail "provider.txt is not owner-only"
expect_title_end "(Record 1 of 1)"
expect_no_box "Provider Code Error"
screenshot

step "Cancel on the first record of an empty file ends the program without saving"
click cmdDelete
expect_program_ended
expect_bytes "$DATA/Korvanel.dat" ''
expect_bytes "$DATA/provider.txt" '123456'
