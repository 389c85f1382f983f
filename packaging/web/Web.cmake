# The browser game: zarvy.js, zarvy.wasm and zarvy.data (the images).
# scripts/build-web.sh puts them beside packaging/web/index.html as the
# site, and packs the zip and the single file from it. The programs link
# again when the JavaScript library that changes GLUT does.
foreach(program zarvy zarvy-snapshot)
    set_target_properties(${program} PROPERTIES LINK_DEPENDS "${ZARVY_WEB_LINK_DEPENDS}")
endforeach()
