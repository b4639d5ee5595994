// Injected into every page of a web app: marks sign-in fields so that the system's password
// autofill recognises them. Inputs that already say what they hold are left alone.
(function () {
    "use strict";

    var meaningless = ["", "off", "false", "on"];
    var newPasswordHint = /new|confirm|signup|register/;
    var usernameHint = /user|email|login|account/;

    function hintOf(input) {
        return [input.name || "", input.id || "", input.placeholder || ""].join(" ").toLowerCase();
    }

    function prepare(input) {
        if (input.disabled || input.type === "hidden")
            return;
        var existing = (input.getAttribute("autocomplete") || "").trim().toLowerCase();
        if (meaningless.indexOf(existing) < 0)
            return;
        var hint = hintOf(input);
        // The type property reads "text" for inputs without a type.
        var type = input.type;
        if (type === "password") {
            input.setAttribute("autocomplete", newPasswordHint.test(hint) ? "new-password" : "current-password");
        } else if ((type === "email" || type === "text") && usernameHint.test(hint)) {
            input.setAttribute("autocomplete", "username");
        }
    }

    function prepareWithin(node) {
        if (!node || node.nodeType !== 1)
            return;
        if (node.tagName === "INPUT")
            prepare(node);
        var inputs = node.getElementsByTagName("input");
        for (var i = 0; i < inputs.length; i++)
            prepare(inputs[i]);
    }

    function start() {
        prepareWithin(document.documentElement);
        new MutationObserver(function (mutations) {
            mutations.forEach(function (mutation) {
                mutation.addedNodes.forEach(prepareWithin);
            });
        }).observe(document.documentElement, { childList: true, subtree: true });
    }

    if (document.readyState === "loading")
        document.addEventListener("DOMContentLoaded", start);
    else
        start();
})();
